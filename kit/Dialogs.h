#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace tarnixw::kit {

// A file dialog's filter as the designer wrote it ("*.plx|*.plx|*.vyx|*.vyx|All Files|*.*"):
// pairs of display name and pattern, the entry selected when it opens (0-based), and the
// extension appended to a name typed without one (empty: none).
struct FileDialogSpec {
    QString filter;
    int selectedFilter = 0;
    QString defaultSuffix;
};

// Every message box and file dialog of the windows goes through this seam, so that the tests
// can script the user's answers and record what was shown. The lower layers show nothing:
// they report, and the windows show (Messages.h).
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // Modal box with one OK button and the application title as caption. The optional
    // detail is shown below the text (for reasons the user can act on).
    virtual void message(const QString& text, const QString& detail = {}) = 0;
    // A system box without owner window and without icon, with its own caption
    // (the two serial port errors).
    virtual void systemMessage(const QString& caption, const QString& text, const QString& detail = {}) = 0;
    // The toolkit's error box for an error escaping a handler (application title as caption).
    virtual void error(const QString& text) = 0;

    // The chosen file name, or nothing when the user cancels.
    virtual std::optional<QString> openFileName(const FileDialogSpec& spec) = 0;
    virtual std::optional<QString> saveFileName(const FileDialogSpec& spec) = 0;
};

// The dialogs of the device forms and the main window: the program installs the Qt
// implementation at start-up, a test its scripted one. Not owned.
Dialogs& dialogs();
// Installs d and returns the one installed before (a test puts that back when it ends).
Dialogs* setDialogs(Dialogs* d);

// Splits "Name|pattern|Name|pattern" into its display names and patterns.
struct FilterEntry {
    QString name;
    QString pattern;
};
QList<FilterEntry> parseFilter(const QString& filter);

// The application title, caption of every message box: the program file's name without
// directory and extension, its first letter as it is and every letter after it in lower case
// ("tarnixw" -> "tarnixw", "TARNIXW.EXE" -> "Tarnixw").
QString applicationTitle();
QString titleFromProgramPath(const QString& path);

} // namespace tarnixw::kit
