#include "settings/settings_store.h"

#include "base/failure.h"

#include <QDir>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>

namespace settings {

namespace {

const QString kState = QStringLiteral("Locate/State");
const QString kIniDir = QStringLiteral("File/IniDir");
const QString kFontName = QStringLiteral("Option/FontName");
const QString kFontSize = QStringLiteral("Option/FontSize");
const QString kHighlight = QStringLiteral("Option/Highlight");
const QString kCheckLeft = QStringLiteral("Locate/CheckLeft");
const QString kCheckTop = QStringLiteral("Locate/CheckTop");
const QString kCheckWidth = QStringLiteral("Locate/CheckWidth");
const QString kCheckHeight = QStringLiteral("Locate/CheckHeight");

QString resumeKey(std::size_t index) {
    return QStringLiteral("File/Resume") + QString::number(index + 1);
}

} // namespace

SettingsStore SettingsStore::user() {
#ifdef Q_OS_WIN
    // The key itself holds the sections, with no application-name key in between.
    return SettingsStore(QStringLiteral("HKEY_CURRENT_USER\\Software\\Quorvik"), true);
#else
    // One INI file named after the key, in the folder XDG_CONFIG_HOME names (~/.config by default).
    return iniFile(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                   QStringLiteral("/Quorvik.conf"));
#endif
}

SettingsStore SettingsStore::iniFile(const QString& path) {
    return SettingsStore(QDir::cleanPath(path), false);
}

std::unique_ptr<QSettings> SettingsStore::open() const {
    return std::make_unique<QSettings>(location_, native_ ? QSettings::NativeFormat : QSettings::IniFormat);
}

SettingsBatch::SettingsBatch(const SettingsStore& store)
    : location_(store.location()), settings_(store.open()) {}

SettingsBatch::~SettingsBatch() = default;

QString SettingsBatch::readString(const QString& key, const QString& fallback) const {
    const QVariant value = settings_->value(key);
    return value.typeId() == QMetaType::QString ? value.toString() : fallback;
}

int SettingsBatch::readInteger(const QString& key, int fallback) const {
    const QVariant value = settings_->value(key);
    if (value.typeId() != QMetaType::QString) return fallback;
    return wholeNumber(value.toString()).value_or(fallback);
}

void SettingsBatch::write(const QString& key, const QString& value) {
    settings_->setValue(key, value);
}

void SettingsBatch::write(const QString& key, int value) {
    settings_->setValue(key, QString::number(value));
}

void SettingsBatch::close() {
    settings_->sync();
    const bool written = settings_->status() == QSettings::NoError;
    settings_.reset();
    if (!written) throw base::Failure(QStringLiteral("設定ファイル %1 に書き込めません").arg(location_));
}

std::optional<int> wholeNumber(const QString& text) {
    static const QRegularExpression digits(QStringLiteral("\\A[+-]?[0-9]+\\z"));
    if (!digits.match(text).hasMatch()) return std::nullopt;
    bool inRange = false;
    const int number = text.toInt(&inRange, 10);
    if (!inRange) return std::nullopt;
    return number;
}

WindowSettings readWindowSettings(const SettingsStore& store, const WindowSettings& defaults) {
    const SettingsBatch batch(store);
    WindowSettings settings;
    settings.stateCode = batch.readInteger(kState, defaults.stateCode);
    settings.lastDir = batch.readString(kIniDir, defaults.lastDir);
    settings.fontName = batch.readString(kFontName, defaults.fontName);
    settings.fontSize = batch.readInteger(kFontSize, defaults.fontSize);
    // No font can be shown at a size below one point.
    if (settings.fontSize < 1) settings.fontSize = defaults.fontSize;
    const int highlight = batch.readInteger(kHighlight, -1);
    settings.highlight = highlight == 0 || highlight == 1 ? highlight == 1 : defaults.highlight;
    // All four or none: a place without its size (or the other way round) is no place.
    const auto number = [&](const QString& key) { return wholeNumber(batch.readString(key, QString())); };
    const std::optional<int> left = number(kCheckLeft), top = number(kCheckTop), width = number(kCheckWidth),
                             height = number(kCheckHeight);
    settings.checkWindow = defaults.checkWindow;
    if (left && top && width && height && *width > 0 && *height > 0)
        settings.checkWindow = QRect(*left, *top, *width, *height);
    return settings;
}

void writeWindowSettings(const SettingsStore& store, const WindowSettings& settings) {
    SettingsBatch batch(store);
    batch.write(kState, settings.stateCode);
    batch.write(kIniDir, settings.lastDir);
    batch.write(kFontName, settings.fontName);
    batch.write(kFontSize, settings.fontSize);
    batch.write(kHighlight, settings.highlight ? 1 : 0);
    if (const std::optional<QRect>& check = settings.checkWindow) {
        batch.write(kCheckLeft, check->left());
        batch.write(kCheckTop, check->top());
        batch.write(kCheckWidth, check->width());
        batch.write(kCheckHeight, check->height());
    }
    batch.close();
}

RecentFileList readRecentFiles(const SettingsStore& store) {
    const SettingsBatch batch(store);
    RecentFileList list;
    for (std::size_t i = 0; i < list.size(); ++i)
        list[i] = batch.readString(resumeKey(i), QString());
    return list;
}

void writeRecentFiles(const SettingsStore& store, const RecentFileList& list) {
    SettingsBatch batch(store);
    for (std::size_t i = 0; i < list.size(); ++i)
        batch.write(resumeKey(i), list[i]);
    batch.close();
}

} // namespace settings
