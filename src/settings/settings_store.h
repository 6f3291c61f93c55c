#pragma once
// The per-user settings store: on Windows the registry key HKEY_CURRENT_USER\Software\Quorvik, elsewhere
// the INI file Quorvik.conf in the user's configuration folder. Below it lie the sections Locate, File and
// Option. The store is opened for each batch of reads or writes and closed at its end, so nothing is held
// open between events; every value is written as a string.
#include "settings/recent_files.h"

#include <QRect>
#include <QString>
#include <memory>
#include <optional>

class QSettings;

namespace settings {

class SettingsStore {
public:
    // The user's own store.
    static SettingsStore user();
    // An INI file at `path`, laid out as the user's store is (for tests).
    static SettingsStore iniFile(const QString& path);

    // Where the store is, as the user finds it: the file's path or the registry key.
    const QString& location() const { return location_; }

private:
    friend class SettingsBatch;
    std::unique_ptr<QSettings> open() const;
    SettingsStore(QString location, bool native) : location_(std::move(location)), native_(native) {}
    QString location_;
    bool native_ = false;
};

// One batch: the store is open from construction until close() or destruction.
class SettingsBatch {
public:
    explicit SettingsBatch(const SettingsStore& store);
    ~SettingsBatch();
    SettingsBatch(const SettingsBatch&) = delete;
    SettingsBatch& operator=(const SettingsBatch&) = delete;

    // `key` is "Section/Value". A value that is missing or not a string (another program may write a
    // number, a list or bytes) gives `fallback`; so does an integer whose text is not a whole number.
    QString readString(const QString& key, const QString& fallback) const;
    int readInteger(const QString& key, int fallback) const;
    void write(const QString& key, const QString& value);
    void write(const QString& key, int value);
    // Writes the batch out and closes the store; throws base::Failure when the store cannot be written.
    void close();

private:
    QString location_;
    std::unique_ptr<QSettings> settings_;
};

// The decimal text of a whole number: an optional sign and digits only, within int's range.
std::optional<int> wholeNumber(const QString& text);

// What the main window stores at a close request and reads back at its creation.
struct WindowSettings {
    int stateCode = 1; // 1 normal, 2 maximised, 3 minimised
    QString lastDir;
    QString fontName;
    int fontSize = 12;     // points
    bool highlight = true; // 色分け表示
    // The check window's place (its frame's top left) and size (inside the frame): none until it was
    // shown once, and none where a value is missing or not a whole number, or a side is below one pixel.
    std::optional<QRect> checkWindow = std::nullopt;
};

// Each missing or unreadable value takes its default from `defaults`; a font size below 1 too. Writing
// leaves the check window's stored place as it is where `settings` has none.
WindowSettings readWindowSettings(const SettingsStore& store, const WindowSettings& defaults);
void writeWindowSettings(const SettingsStore& store, const WindowSettings& settings);

RecentFileList readRecentFiles(const SettingsStore& store);
void writeRecentFiles(const SettingsStore& store, const RecentFileList& list);

} // namespace settings
