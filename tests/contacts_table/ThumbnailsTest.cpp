#include "ContactsTableTestSupport.h"

#include "contacts_table/ContactsTableModel.h"
#include "platform/contacts/CNContact.h"
#include "tests/model/PersonTestSupport.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>

#include <cmath>

using namespace contacts_table_test;

namespace {

bool settled(const ThumbnailCache &cache) {
    return QTest::qWaitFor([&] { return cache.pendingCount() == 0; }, 10000);
}

TEST(Thumbnails, ANameCellShowsItsPhotoAtTheDrawnSizeDecodedOffTheMainThread) {
    factoryDefaults();
    auto photo = person(QStringLiteral("Ann"));
    ASSERT_TRUE(photo->setPhotoData(pngBytes(600, 300)));
    CNContact broken;
    broken.imageData = "not a picture";
    ContactsViewController controller;
    controller.settings()->reload();
    controller.view();
    controller.setContactTable(
        table({photo, person(QStringLiteral("Bob")), std::make_shared<QMPerson>(broken)}));
    controller.setSubContactTableDirty(true);
    controller.reloadData();
    ContactsTableModel &model = *controller.tableModel();
    QSignalSpy redrawn(&model, &QAbstractItemModel::dataChanged);
    const auto nameCell = [&](int row) { return controller.viewForTableColumn(FieldId::Name, row); };
    // Drawn rowHeight - 4 pixels high, on the sharpest screen.
    const int side = int(std::ceil(double(model.appearance().rowHeight - 4) * qApp->devicePixelRatio()));

    // Without a photo the placeholder comes at once; a photo's place stays empty until it
    // is decoded, and then only the waiting cells are redrawn.
    EXPECT_EQ(nameCell(1).image, QMPerson::placeholder(true));
    EXPECT_TRUE(nameCell(0).imagePending && nameCell(0).image.isNull());
    EXPECT_TRUE(nameCell(2).imagePending);
    ASSERT_TRUE(settled(model.thumbnails()));
    EXPECT_EQ(nameCell(0).image.size(), QSize(side, side / 2)) << "fitted, never decoded whole";
    EXPECT_EQ(nameCell(2).image, QMPerson::placeholder(true)) << "bytes that are no picture";
    ASSERT_EQ(redrawn.size(), 2);
    EXPECT_EQ(redrawn.first().at(0), redrawn.first().at(1)) << "one cell, not the column";

    // A new photo is never answered with the old one's picture.
    ASSERT_TRUE(photo->setPhotoData(pngBytes(200, 400)));
    EXPECT_TRUE(nameCell(0).imagePending);
    ASSERT_TRUE(settled(model.thumbnails()));
    EXPECT_EQ(nameCell(0).image.size(), QSize(side / 2, side));
}

TEST(Thumbnails, TheCacheKeepsTheRecentPicturesAndTheLatestRequestsOnly) {
    const QByteArray png = pngBytes(4, 4, Qt::green);
    QList<QByteArray> photos; // each with bytes of its own: a picture of its own to the cache
    for (qsizetype i = 0; i < ThumbnailCache::concurrentDecodes() + ThumbnailCache::maximumWaiting + 10; ++i)
        photos.append(QByteArray(png.constData(), png.size()));

    // Asked for faster than decoded: of the requests that wait, the oldest are forgotten.
    ThumbnailCache cache(16);
    for (const QByteArray &photo : std::as_const(photos))
        EXPECT_FALSE(cache.picture(photo, 8));
    EXPECT_EQ(cache.pendingCount(), ThumbnailCache::concurrentDecodes() + ThumbnailCache::maximumWaiting);
    ASSERT_TRUE(settled(cache));

    // More pictures than the capacity: the least recently drawn go.
    for (qsizetype i = 0; i < 48; ++i) {
        cache.picture(photos[i], 8);
        cache.picture(photos.last(), 8); // drawn all along
        ASSERT_TRUE(settled(cache));
        EXPECT_LE(cache.size(), 16);
    }
    EXPECT_TRUE(cache.picture(photos[47], 8));
    EXPECT_EQ(cache.picture(photos.last(), 8)->size(), QSize(4, 4)) << "never enlarged";
    EXPECT_FALSE(cache.picture(photos[0], 8));
}

} // namespace
