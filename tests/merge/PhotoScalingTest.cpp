#include "editors/PhotoScaling.h"
#include "platform/ui/Dialogs.h"
#include "tests/support/TestSupport.h"

#include <QFile>
#include <QSemaphore>
#include <QUrl>

#include <gtest/gtest.h>


namespace {

QImage picture(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::blue);
    return image;
}

TEST(PhotoScaling, PicturesLargerThanTheLimitKeepTheirProportions) {
    const struct {
        QSize given, kept;
    } cases[] = {
        {{2048, 1024}, {512, 256}}, {{1024, 768}, {512, 384}}, {{300, 1200}, {128, 512}},
        {{600, 600}, {512, 512}},   {{512, 512}, {512, 512}},  {{300, 400}, {300, 400}},
        {{5000, 3}, {512, 1}},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(PhotoScaling::limitedSize(c.given), c.kept) << c.given.width() << "x" << c.given.height();
        EXPECT_EQ(PhotoScaling::scaleToLimit(picture(c.given.width(), c.given.height())).size(), c.kept);
    }
    EXPECT_TRUE(PhotoScaling::scaleToLimit(QImage()).isNull());
}

// The caller stops waiting and keeps the given picture; the worker finishes later into a
// slot nobody reads (the sanitizer builds would see it write freed memory).
TEST(PhotoScaling, AResultAfterTheWaitIsDropped) {
    QSemaphore release, finished;
    const QImage large = picture(1024, 1024);
    const QImage kept = PhotoScaling::scaleToLimit(large, 20, [&](const QImage &image) {
        release.acquire();
        QImage scaled = PhotoScaling::scaledToLimit(image);
        finished.release();
        return scaled;
    });
    EXPECT_EQ(kept.size(), large.size());
    release.release();
    finished.acquire();
}

TEST(PhotoScaling, AChosenFileIsReadWithinTheLimitOrRefusedWithAnAlert) {
    const QString large = testScratchDirectory() + QStringLiteral("/large.png");
    ASSERT_TRUE(picture(2048, 1024).save(large));
    const QString broken = testScratchDirectory() + QStringLiteral("/broken.png");
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a picture");
    file.close();

    ScriptedDialogPresenter dialogs;
    dialogs.chooseFiles({QUrl::fromLocalFile(large)});
    const auto image = PhotoScaling::chooseImage(nullptr);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), QSize(512, 256));
    EXPECT_EQ(dialogs.shown().first().openPanel.allowedContentTypes, QStringList{"public.image"});

    dialogs.chooseFiles({QUrl::fromLocalFile(broken)});
    dialogs.answerAlert(QStringLiteral("OK"));
    EXPECT_FALSE(PhotoScaling::chooseImage(nullptr));
    EXPECT_EQ(dialogs.shown().last().alert.messageText, QStringLiteral("Can not read the image."));
    dialogs.cancelPanel();
    EXPECT_FALSE(PhotoScaling::chooseImage(nullptr));
    EXPECT_EQ(dialogs.unansweredCount(), 0);
}

} // namespace
