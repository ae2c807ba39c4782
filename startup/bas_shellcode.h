#pragma once
// Process-wide state of the program and the procedures that fill it: the facts
// recorded at start-up, the settings with their defaults, and the saver password.
#include <QString>
#include <cstdint>

namespace bas_shellcode {

inline const QString k_application = QStringLiteral("Krelix Zentara");
inline const QString k_section = QStringLiteral("Config");
inline const QString k_scramble_key = QStringLiteral("tXqWn");
inline const QString k_saver_caption = QStringLiteral("screen saver running");
inline const QString k_configuration_caption = QStringLiteral("Zentara Screen Saver Configuration");

// Facts recorded by main().
inline QString app_path;            // program folder, trailing '/'
inline QString audio_browse_folder; // first folder of the audio files editor
inline std::int16_t twips_per_pixel_x = 15;
inline std::int16_t twips_per_pixel_y = 15;
inline QString windows_dir;         // folder of the list files and the wallpaper, trailing '/'
inline std::int32_t parent_window = 0;
inline bool saver_active = false;

// Settings, named after their keys.
inline QString install_path;
inline std::int32_t run_once = 0;
inline std::int32_t frame_rate = 45;
inline std::int16_t save_as_wallpaper = 0;
inline std::int32_t scroller_delay = 10;
inline std::int32_t scroller_active = 1;
inline QString show_time = QStringLiteral("1");
inline std::int32_t audio_seconds = 15;
inline std::int32_t cycle_speed_value = 13;
inline std::int32_t object_frequency = 5;
inline QString audio_on = QStringLiteral("1");
inline QString scrambled_password;
inline QString saver_password;

// Reads every setting into its global; on the first run writes the default lists
// (unless `first_run_writes_lists` is false: tools that only look). Without an
// installation path it shows the installation error and ends the process.
void load_settings(bool first_run_writes_lists = true);
// Writes the user-editable settings and the scrambled password.
void save_settings();

// The stored form holds letters "a".."z" only, two a character of code 0..255
// (as every earlier value holds them) and two a UTF-8 byte for a character above 255,
// whose pairs start with "a".."h" (see bas_shellcode.cpp). A value that is not
// such a form reads back as no password.
void scramble_password();
void unscramble_password();

// The settings store of this program (section "Config" unless named).
QString get_setting(const QString &key, const QString &fallback, const QString &section = k_section);
// False when the store could not be written.
bool save_setting(const QString &key, const QString &value, const QString &section = k_section);
// True when the store can take a write (the user's settings file and its folder).
bool settings_writable();

// Settings held as text and compared as numbers ("show_time", "audio_on").
bool text_is_nonzero(const QString &text);

// True when no window with this caption is open (across processes of this user).
bool window_absent(const QString &caption);
// The per-user folder of the list files, trailing '/'.
QString get_windows_directory();

} // namespace bas_shellcode
