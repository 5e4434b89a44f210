#include "platform/core/TempFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <cstdio>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

TEST(TempFilesTest, FolderIsPrivateAndFilesKeepTheirNames) {
    const QString dir = TempFiles::directory();
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(dir).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_NE(dir, QDir::tempPath());

    const QString path = TempFiles::writeAtomically(QStringLiteral("SelectedContacts.vcf"), "BEGIN:VCARD\r\n");
    ASSERT_FALSE(path.isEmpty());
    EXPECT_EQ(QFileInfo(path).fileName(), QStringLiteral("SelectedContacts.vcf"));
    EXPECT_EQ(QFileInfo(path).absolutePath(), QFileInfo(dir).absoluteFilePath());
    TempFiles::writeAtomically(QStringLiteral("SelectedContacts.vcf"), "second");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("second"));
}

// Run by the test below in a child process: prints the folder it made and leaves a file in it.
TEST(TempFilesChild, LeaveAFileBehind) {
    if (qEnvironmentVariableIsEmpty("TESSARIN2_TEMPFILES_CHILD"))
        GTEST_SKIP() << "runs only as a child of FolderIsRemovedAtExit";
    TempFiles::writeAtomically(QStringLiteral("draggingContacts.vcf"), "x");
    std::printf("TEMPDIR=%s\n", qPrintable(TempFiles::directory()));
}

TEST(TempFilesTest, FolderIsRemovedAtExit) {
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TESSARIN2_TEMPFILES_CHILD"), QStringLiteral("1"));
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=TempFilesChild.*")});
    ASSERT_TRUE(child.waitForFinished(30000));
    ASSERT_EQ(child.exitCode(), 0);
    const QString output = QString::fromLocal8Bit(child.readAllStandardOutput());
    const qsizetype at = output.indexOf(QStringLiteral("TEMPDIR="));
    ASSERT_GE(at, 0) << output.toStdString();
    const QString dir = output.mid(at + 8).section(u'\n', 0, 0).trimmed();
    ASSERT_FALSE(dir.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(dir));
}

} // namespace
