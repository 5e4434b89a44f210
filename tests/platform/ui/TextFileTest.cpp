#include "platform/ui/TextFile.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

// What Open must refuse before it reads a byte: each case once hung the program or grew
// its memory without bound, or said "no such file" for a link loop.
TEST(TextFileTest, OnlyRegularFilesOfABoundedSizeAreRead) {
    const QString folder = testScratchDirectory() + QStringLiteral("/special");
    QDir(folder).removeRecursively();
    ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/folder.vcf")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder + QStringLiteral("/fifo.vcf")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), folder + QStringLiteral("/devzero.vcf")));
    ASSERT_TRUE(QFile::link(folder + QStringLiteral("/loop-b.vcf"), folder + QStringLiteral("/loop-a.vcf")));
    ASSERT_TRUE(QFile::link(folder + QStringLiteral("/loop-a.vcf"), folder + QStringLiteral("/loop-b.vcf")));
    QFile huge(folder + QStringLiteral("/huge.vcf"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.resize(TextFile::maximumFileSize + 1)); // sparse
    huge.close();
    QFile plain(folder + QStringLiteral("/plain.vcf"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly) && plain.write("BEGIN:VCARD\r\n") == 13);
    plain.close();

    const struct {
        const char *file;
        int code;
        const char *says;
    } refused[] = {{"fifo.vcf", TextFile::ReadUnknownError, "isn’t a regular file"},
                   {"devzero.vcf", TextFile::ReadUnknownError, "isn’t a regular file"},
                   {"folder.vcf", TextFile::ReadUnknownError, "isn’t a regular file"},
                   {"loop-a.vcf", TextFile::ReadUnknownError, "leads back to itself"},
                   {"huge.vcf", TextFile::TooLargeError, "too large"},
                   {"missing.vcf", TextFile::NoSuchFileError, "no such file"}};
    for (const auto &c : refused) {
        PlatformError error;
        const auto text =
            TextFile::read(folder + u'/' + QString::fromLatin1(c.file), TextEncoding::Automatic, &error);
        EXPECT_FALSE(text) << c.file;
        EXPECT_EQ(error.code, c.code) << c.file;
        EXPECT_TRUE(error.localizedDescription.contains(QString::fromUtf8(c.says)))
            << c.file << ": " << error.localizedDescription.toStdString();
        EXPECT_TRUE(error.localizedDescription.contains(QString::fromLatin1(c.file))) << c.file;
    }
    PlatformError error;
    EXPECT_EQ(TextFile::read(folder + QStringLiteral("/plain.vcf"), TextEncoding::UTF8, &error),
              QStringLiteral("BEGIN:VCARD\r\n"));
    EXPECT_EQ(error.code, 0);
}

} // namespace
