#pragma once

#include <mutex>
#include <QSettings>
#include <QString>
#include <QVariant>

#include <memory>

// The application's preferences: values of any QVariant kind (nested maps and lists
// included) under the exact key texts callers use. Keys may hold blanks, "/" and "\"
// (a document's name is part of some keys); they are escaped so QSettings does not
// read them as groups. Registered defaults answer for keys never written.
class UserDefaults {
public:
    static UserDefaults &standard();

    // Points the store at another file (tests use a temporary folder).
    static void setStorageFile(const QString &path);
    static QString defaultStorageFile();

    QVariant object(const QString &key) const;
    void setObject(const QVariant &value, const QString &key);
    void removeObject(const QString &key);

    bool boolForKey(const QString &key) const;
    qint64 integerForKey(const QString &key) const;
    double doubleForKey(const QString &key) const;
    QString stringForKey(const QString &key) const;
    QVariantList arrayForKey(const QString &key) const;
    QVariantMap dictionaryForKey(const QString &key) const;

    void setBool(bool value, const QString &key) { setObject(value, key); }
    void setInteger(qint64 value, const QString &key) { setObject(value, key); }
    void setDouble(double value, const QString &key) { setObject(value, key); }

    void registerDefaults(const QVariantMap &defaults);
    // Every stored value goes; registered defaults stay (the "restore default
    // preferences" action, which also forgets window frames).
    void resetAll();
    QStringList storedKeys() const;
    // Writes what is pending and reads again what another process stored meanwhile (reads
    // answer from this process's copy until then).
    void synchronize();

    static QString escapeKey(const QString &key);
    static QString unescapeKey(const QString &key);

private:
    explicit UserDefaults(const QString &path);
    mutable std::mutex mutex_;
    std::unique_ptr<QSettings> settings_;
    QVariantMap registered_;
};
