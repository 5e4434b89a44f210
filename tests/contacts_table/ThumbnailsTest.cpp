#include "ContactsTableTestSupport.h"

#include "contacts_table/ContactsTableModel.h"
#include "platform/contacts/CNContact.h"
#include "tests/model/PersonTestSupport.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <cmath>

using namespace contacts_table_test;

namespace {

class Thumbnails : public ::testing::Test {
protected:
    void SetUp() override {
        factoryDefaults();
        setColumns(QStringLiteral("Photos"), {FieldId::Name, FieldId::Phone});
        controller.settings()->reload();
    }

    void show(const QList<std::shared_ptr<QMPerson>> &people) {
        controller.view()->resize(800, 600);
        controller.setContactTable(table(people));
        controller.setSubContactTableDirty(true);
        controller.reloadData();
        controller.view()->show();
    }

    ContactsTableCell nameCell(int row) { return controller.viewForTableColumn(FieldId::Name, row); }

    // The name cell of the row once its photo is decoded (painting asks for it first).
    ContactsTableCell decodedNameCell(int row) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return !nameCell(row).imagePending; }, 5000));
        return nameCell(row);
    }

    // The painter draws a photo rowHeight - 4 pixels high, on the sharpest screen.
    int side() const {
        const double rowHeight = double(controller.tableModel()->appearance().rowHeight);
        return int(std::ceil((rowHeight - 4) * qApp->devicePixelRatio()));
    }

    ContactsViewController controller;
};

TEST_F(Thumbnails, ANameCellShowsItsPhotoAtTheDrawnSizeDecodedOffTheMainThread) {
    auto photo = person(QStringLiteral("Ann"));
    ASSERT_TRUE(photo->setPhotoData(pngBytes(600, 300, Qt::red)));
    auto plain = person(QStringLiteral("Bob"));
    CNContact broken;
    broken.givenName = QStringLiteral("Cid");
    broken.imageData = "not a picture";
    auto garbled = std::make_shared<QMPerson>(broken);
    show({photo, plain, garbled});
    QSignalSpy redrawn(controller.tableModel(), &QAbstractItemModel::dataChanged);

    // Without a photo the placeholder comes at once; a photo leaves its place empty until
    // it is decoded, and its cell is redrawn when it is.
    EXPECT_EQ(nameCell(1).image, QMPerson::placeholder(true));
    EXPECT_FALSE(nameCell(1).imagePending);
    const ContactsTableCell pending = nameCell(0);
    EXPECT_TRUE(pending.imagePending);
    EXPECT_TRUE(pending.image.isNull());
    EXPECT_EQ(pending.text, QStringLiteral("Ann"));

    const QImage shown = decodedNameCell(0).image;
    EXPECT_EQ(shown.size(), QSize(side(), side() / 2)) << "fitted, never decoded whole";
    EXPECT_EQ(shown.pixelColor(1, 1), QColor(Qt::red));
    EXPECT_EQ(decodedNameCell(2).image, QMPerson::placeholder(true)) << "bytes that are no picture";
    QList<int> redrawnRows;
    for (const QList<QVariant> &change : std::as_const(redrawn)) {
        EXPECT_EQ(change.at(0).value<QModelIndex>(), change.at(1).value<QModelIndex>())
            << "one cell at a time";
        EXPECT_EQ(change.at(0).value<QModelIndex>().column(), 0);
        redrawnRows.append(change.at(0).value<QModelIndex>().row());
    }
    std::sort(redrawnRows.begin(), redrawnRows.end());
    EXPECT_EQ(redrawnRows, (QList<int>{0, 2})) << "only the waiting cells are redrawn";

    // A new photo is never taken for the old one's picture.
    ASSERT_TRUE(photo->setPhotoData(pngBytes(200, 400, Qt::blue)));
    EXPECT_TRUE(nameCell(0).imagePending);
    const QImage replaced = decodedNameCell(0).image;
    EXPECT_EQ(replaced.size(), QSize(side() / 2, side()));
    EXPECT_EQ(replaced.pixelColor(1, 1), QColor(Qt::blue));
}

TEST_F(Thumbnails, TheCacheKeepsTheRecentPicturesAndTheLatestRequestsOnly) {
    const QByteArray png = pngBytes(4, 4, Qt::green);
    // Each copy has bytes of its own, so each is a picture of its own to the cache.
    const qsizetype running = ThumbnailCache::concurrentDecodes();
    const qsizetype overflow = 10;
    QList<QByteArray> photos;
    for (qsizetype i = 0; i < running + ThumbnailCache::maximumWaiting + overflow; ++i)
        photos.append(QByteArray(png.constData(), png.size()));
    const auto settled = [](ThumbnailCache &cache) {
        return QTest::qWaitFor([&] { return cache.pendingCount() == 0; }, 10000);
    };

    // Asked for faster than decoded: the first start at once, and of those that wait the
    // oldest are forgotten.
    ThumbnailCache cache;
    for (const QByteArray &photo : std::as_const(photos))
        EXPECT_FALSE(cache.picture(photo, 8));
    EXPECT_EQ(cache.pendingCount(), ThumbnailCache::maximumWaiting + running);
    ASSERT_TRUE(settled(cache));
    EXPECT_EQ(cache.size(), ThumbnailCache::maximumWaiting + running);
    EXPECT_TRUE(cache.picture(photos[0], 8));
    EXPECT_FALSE(cache.picture(photos[running + overflow - 1], 8)) << "forgotten, and asked for again";
    EXPECT_TRUE(cache.picture(photos[running + overflow], 8));
    EXPECT_EQ(cache.picture(photos.last(), 8)->size(), QSize(4, 4)) << "never enlarged";

    // More pictures than the capacity: the least recently drawn go.
    const qsizetype capacity = 16;
    ThumbnailCache small(capacity);
    for (qsizetype i = 0; i < 3 * capacity; ++i) {
        small.picture(photos[i], 8);
        ASSERT_TRUE(settled(small));
        small.picture(photos.last(), 8); // drawn all along
        ASSERT_TRUE(settled(small));
        EXPECT_LE(small.size(), capacity);
    }
    EXPECT_TRUE(small.picture(photos[3 * capacity - 1], 8));
    EXPECT_TRUE(small.picture(photos.last(), 8));
    EXPECT_FALSE(small.picture(photos[0], 8));
}

} // namespace
