#pragma once

#include <QCoreApplication>
#include <QHash>
#include <QTranslator>

// A language installed for the test's life, with the translations it is given (English id to
// text); every other id stays English. What the user reads then shows whether a text goes
// through the translation lookup.
class TestTranslation : public QTranslator {
public:
    explicit TestTranslation(QHash<QString, QString> translations)
        : translations_(std::move(translations)) {
        QCoreApplication::installTranslator(this);
    }
    ~TestTranslation() override { QCoreApplication::removeTranslator(this); }
    TestTranslation(const TestTranslation &) = delete;
    TestTranslation &operator=(const TestTranslation &) = delete;

    bool isEmpty() const override { return translations_.isEmpty(); }
    QString translate(const char *, const char *sourceText, const char *, int) const override {
        return translations_.value(QString::fromUtf8(sourceText));
    }

private:
    QHash<QString, QString> translations_;
};
