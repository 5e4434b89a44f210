#include "tests/platform/ui/UiTestSupport.h"

#include "platform/core/TempFiles.h"
#include "platform/ui/Pasteboard.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <QMimeData>

#include <gtest/gtest.h>

namespace {

TEST(Pasteboard, EveryTypeRoundTripsThroughTheGeneralPasteboardUnderItsMimeType) {
    Window window;
    Pasteboard &pasteboard = Pasteboard::general();
    pasteboard.declareTypes({PasteboardType::String, PasteboardType::TabSeparatedText});
    pasteboard.setSource(&window);
    const QString vcf = TempFiles::writeAtomically(QStringLiteral("SelectedContacts.vcf"), "BEGIN:VCARD\r\n");
    EXPECT_TRUE(vcf.startsWith(TempFiles::directory()));
    QImage photo(8, 8, QImage::Format_ARGB32);
    photo.fill(Qt::red);
    const std::tuple<QString, const char *, QByteArray> typed[] = {
        {PasteboardType::String, "text/plain", "山田 花子\thanako@example.com"},
        {PasteboardType::TabSeparatedText, "text/tab-separated-values", "山田 花子\thanako@example.com"},
        {PasteboardType::CommaSeparatedText, "text/csv", "a, b"},
        {PasteboardType::VCard, "text/vcard", "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:山田 花子\r\nEND:VCARD\r\n"},
        {PasteboardType::StringIndexes, "application/x-tessarin2-qm1pstringindexes", "3,4,7"},
        {PasteboardType::Identifier, "application/x-tessarin2-identifier", "Email"},
        {PasteboardType::LabelIndex, "application/x-tessarin2-labelindex", "1"}};
    for (const auto &[type, mime, bytes] : typed)
        EXPECT_TRUE(type == PasteboardType::String ? pasteboard.setString(QString::fromUtf8(bytes))
                                                   : pasteboard.setData(bytes, type));
    EXPECT_TRUE(pasteboard.setData(QByteArray("vcf"), PasteboardType::PromisedFileURL));
    EXPECT_TRUE(pasteboard.writeFileURLs({QUrl::fromLocalFile(vcf)}));
    EXPECT_TRUE(pasteboard.writeImage(photo));

    const QMimeData *data = QApplication::clipboard()->mimeData();
    for (const auto &[type, mime, bytes] : typed) {
        EXPECT_TRUE(data->hasFormat(QString::fromLatin1(mime))) << mime;
        EXPECT_EQ(pasteboard.dataForType(type), bytes) << mime;
        EXPECT_EQ(pasteboard.stringForType(type), QString::fromUtf8(bytes)) << mime;
        EXPECT_TRUE(pasteboard.types().contains(type)) << mime;
    }
    EXPECT_TRUE(data->hasFormat(QStringLiteral("text/uri-list")));
    EXPECT_TRUE(data->hasFormat(QStringLiteral("image/png")));
    EXPECT_EQ(pasteboard.fileURLs(), QList<QUrl>{QUrl::fromLocalFile(vcf)});
    EXPECT_EQ(pasteboard.image().pixelColor(3, 3), QColor(Qt::red));
    for (const QString &type :
         {PasteboardType::FileURL, PasteboardType::PromisedFileURL, PasteboardType::PNG})
        EXPECT_TRUE(pasteboard.types().contains(type)) << type.toStdString();
    EXPECT_TRUE(pasteboard.isFromWindow(&window));

    // Clearing starts afresh, without the old source.
    pasteboard.clearContents();
    pasteboard.setString(QStringLiteral("plain"));
    EXPECT_EQ(pasteboard.types(), QStringList{PasteboardType::String});
    EXPECT_FALSE(pasteboard.isFromThisApplication());
}

TEST(Pasteboard, ADropTellsItsOwnWindowsRowsFromAnotherWindowsAndOtherPrograms) {
    Window first, second;
    QWidget table(&first), otherTable(&first);
    auto drag = Pasteboard::forDragging();
    drag->setSource(&first, &table);
    drag->setString(QStringLiteral("0,2"), PasteboardType::StringIndexes);
    std::unique_ptr<QMimeData> data(drag->takeMimeData());

    const Pasteboard drop(data.get());
    EXPECT_TRUE(drop.isFromThisApplication());
    EXPECT_TRUE(drop.isFromWindow(&first));
    EXPECT_FALSE(drop.isFromWindow(&second));
    EXPECT_TRUE(drop.isFromView(&table));
    EXPECT_FALSE(drop.isFromView(&otherTable));
    EXPECT_EQ(drop.stringForType(PasteboardType::StringIndexes), QStringLiteral("0,2"));

    // Another program's copy of our private data carries another process number.
    QMimeData foreign;
    foreign.setData(QStringLiteral("application/x-tessarin2-qm1pstringindexes"), "0,2");
    foreign.setData(QStringLiteral("application/x-tessarin2-source"), "1 1 0");
    foreign.setData(QStringLiteral("text/x-vcard"), "BEGIN:VCARD\r\nEND:VCARD\r\n");
    const Pasteboard outside(&foreign);
    EXPECT_FALSE(outside.isFromThisApplication());
    EXPECT_FALSE(outside.isFromWindow(&first));
    EXPECT_TRUE(outside.types().contains(PasteboardType::VCard)); // read from text/x-vcard
    EXPECT_EQ(outside.dataForType(PasteboardType::VCard), QByteArray("BEGIN:VCARD\r\nEND:VCARD\r\n"));
}

TEST(Pasteboard, TheFindPasteboardIsApartFromTheGeneralOne) {
    Pasteboard::general().clearContents();
    Pasteboard::general().setString(QStringLiteral("copied"));
    Pasteboard::find().clearContents();
    Pasteboard::find().setString(QStringLiteral("花子"));
    EXPECT_EQ(Pasteboard::find().stringForType(), QStringLiteral("花子"));
    EXPECT_EQ(Pasteboard::general().stringForType(), QStringLiteral("copied"));
    EXPECT_FALSE(Pasteboard::general().setData("not an image", PasteboardType::PNG));
}


TEST(Pasteboard, ProvidedDragDataIsMadeOnceAndOnlyWhenAskedFor) {
    int cards = 0;
    int files = 0;
    const QString path = TempFiles::writeInNewFolder(QStringLiteral("drag.vcf"), QByteArray("BEGIN:VCARD"));
    auto drag = Pasteboard::forDragging();
    drag->setDataProvider(PasteboardType::VCard, [&] {
        ++cards;
        return QByteArray("BEGIN:VCARD");
    });
    drag->setDataProvider(PasteboardType::String, [] { return QByteArray("Ann\t1"); });
    drag->setDataProvider(PasteboardType::FileURL, [&] {
        ++files;
        return QUrl::fromLocalFile(path).toEncoded();
    });
    const std::unique_ptr<QMimeData> data(drag->takeMimeData());
    const Pasteboard drop(data.get());
    // What the drag holds is known without making anything, the file included.
    EXPECT_TRUE(drop.types().contains(PasteboardType::VCard));
    EXPECT_TRUE(drop.types().contains(PasteboardType::FileURL));
    EXPECT_TRUE(drop.types().contains(PasteboardType::PromisedFileURL));
    EXPECT_EQ(cards + files, 0);
    EXPECT_EQ(drop.stringForType(PasteboardType::VCard), QStringLiteral("BEGIN:VCARD"));
    EXPECT_EQ(drop.dataForType(PasteboardType::VCard), QByteArray("BEGIN:VCARD"));
    EXPECT_EQ(drop.stringForType(), QStringLiteral("Ann\t1"));
    EXPECT_EQ(drop.fileURLs(), QList<QUrl>{QUrl::fromLocalFile(path)});
    EXPECT_EQ(drop.fileURLs(), QList<QUrl>{QUrl::fromLocalFile(path)});
    EXPECT_EQ(cards, 1);
    EXPECT_EQ(files, 1);
}

TEST(Pasteboard, CopiedFilesAreOfferedToFileManagers) {
    const QString path = TempFiles::writeInNewFolder(QStringLiteral("copied.vcf"), QByteArray("BEGIN:VCARD"));
    Pasteboard &general = Pasteboard::general();
    general.declareTypes({PasteboardType::FileURL});
    general.writeFileURLs({QUrl::fromLocalFile(path)});
    EXPECT_EQ(QApplication::clipboard()->mimeData()->data(QStringLiteral("x-special/gnome-copied-files")),
              "copy\n" + QUrl::fromLocalFile(path).toEncoded());
    EXPECT_TRUE(general.types().contains(PasteboardType::PromisedFileURL));
    // Each file in a folder of its own, under the name it was given.
    const QString again = TempFiles::writeInNewFolder(QStringLiteral("copied.vcf"), QByteArray("other"));
    EXPECT_NE(again, path);
    EXPECT_TRUE(again.endsWith(QStringLiteral("/copied.vcf")));
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_EQ(QFileInfo(QFileInfo(again).path()).permissions() & (QFile::ReadGroup | QFile::ReadOther), 0);
}

} // namespace
