#include "platform/core/UserDefaults.h"

#include <QDir>
#include <QStandardPaths>

#include <mutex>

namespace {
// Guards the shared instance: worker threads may make the first contact record, which
// reads settings, while the main thread is still starting.
std::mutex &instanceMutex() {
    static std::mutex mutex;
    return mutex;
}
QString &storagePath() {
    static QString path;
    return path;
}
std::unique_ptr<UserDefaults> &instance() {
    static std::unique_ptr<UserDefaults> defaults;
    return defaults;
}
} // namespace

QString UserDefaults::defaultStorageFile() {
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return config + QStringLiteral("/Tessarin2/Tessarin2.conf");
}

void UserDefaults::setStorageFile(const QString &path) {
    std::lock_guard lock(instanceMutex());
    storagePath() = path;
    instance().reset();
}

UserDefaults &UserDefaults::standard() {
    std::lock_guard lock(instanceMutex());
    auto &defaults = instance();
    if (!defaults) {
        if (storagePath().isEmpty())
            storagePath() = defaultStorageFile();
        defaults.reset(new UserDefaults(storagePath()));
    }
    return *defaults;
}

UserDefaults::UserDefaults(const QString &path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    settings_ = std::make_unique<QSettings>(path, QSettings::IniFormat);
}

QString UserDefaults::escapeKey(const QString &key) {
    QString escaped;
    escaped.reserve(key.size());
    for (QChar c : key) {
        if (c == u'%')
            escaped += QStringLiteral("%25");
        else if (c == u'/')
            escaped += QStringLiteral("%2F");
        else if (c == u'\\')
            escaped += QStringLiteral("%5C");
        else
            escaped += c;
    }
    return escaped;
}

QString UserDefaults::unescapeKey(const QString &key) {
    QString plain = key;
    plain.replace(QStringLiteral("%2F"), QStringLiteral("/"));
    plain.replace(QStringLiteral("%5C"), QStringLiteral("\\"));
    plain.replace(QStringLiteral("%25"), QStringLiteral("%"));
    return plain;
}

QVariant UserDefaults::object(const QString &key) const {
    std::lock_guard lock(mutex_);
    const QString stored = escapeKey(key);
    if (settings_->contains(stored))
        return settings_->value(stored);
    return registered_.value(key);
}

void UserDefaults::setObject(const QVariant &value, const QString &key) {
    std::lock_guard lock(mutex_);
    if (!value.isValid())
        settings_->remove(escapeKey(key));
    else
        settings_->setValue(escapeKey(key), value);
}

void UserDefaults::removeObject(const QString &key) {
    std::lock_guard lock(mutex_);
    settings_->remove(escapeKey(key));
}

bool UserDefaults::boolForKey(const QString &key) const { return object(key).toBool(); }
qint64 UserDefaults::integerForKey(const QString &key) const { return object(key).toLongLong(); }
double UserDefaults::doubleForKey(const QString &key) const { return object(key).toDouble(); }

QString UserDefaults::stringForKey(const QString &key) const {
    const QVariant value = object(key);
    return value.canConvert<QString>() ? value.toString() : QString();
}

QVariantList UserDefaults::arrayForKey(const QString &key) const {
    const QVariant value = object(key);
    // QSettings reads a one-element list written as text back as a plain string.
    if (value.typeId() == QMetaType::QString)
        return {value};
    return value.toList();
}

QVariantMap UserDefaults::dictionaryForKey(const QString &key) const { return object(key).toMap(); }

void UserDefaults::registerDefaults(const QVariantMap &defaults) {
    std::lock_guard lock(mutex_);
    for (auto it = defaults.begin(); it != defaults.end(); ++it)
        registered_.insert(it.key(), it.value());
}

void UserDefaults::resetAll() {
    std::lock_guard lock(mutex_);
    settings_->clear();
    settings_->sync();
}

QStringList UserDefaults::storedKeys() const {
    std::lock_guard lock(mutex_);
    QStringList keys;
    for (const QString &key : settings_->allKeys())
        keys << unescapeKey(key);
    return keys;
}

void UserDefaults::synchronize() {
    std::lock_guard lock(mutex_);
    settings_->sync();
}
