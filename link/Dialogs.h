#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace tarnixw::link {

// A file dialog's filter as the designer wrote it ("*.plx|*.plx|*.vyx|*.vyx|All Files|*.*"):
// pairs of display name and pattern, the entry selected when it opens (0-based), and the
// extension appended to a name typed without one (empty: none).
struct FileDialogSpec {
    QString filter;
    int selectedFilter = 0;
    QString defaultSuffix;
};

// Every message box and file dialog of the program goes through this seam, so that the
// tests can script the user's answers and record what was shown.
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

// The dialogs in use. Production installs the Qt implementation at start-up; tests install
// a scripted recorder. Never null once installed.
Dialogs& dialogs();
// Installs d (not owned) and returns the one installed before.
Dialogs* setDialogs(Dialogs* d);

// Keeps the texts of the boxes shown while it is installed (for its lifetime) and passes every
// box and dialog on to the dialogs installed before it: what a device operation told the user.
class DialogsTap final : public Dialogs {
public:
    DialogsTap();
    ~DialogsTap() override;
    DialogsTap(const DialogsTap&) = delete;
    DialogsTap& operator=(const DialogsTap&) = delete;

    void message(const QString& text, const QString& detail = {}) override;
    void systemMessage(const QString& caption, const QString& text, const QString& detail = {}) override;
    void error(const QString& text) override;
    std::optional<QString> openFileName(const FileDialogSpec& spec) override;
    std::optional<QString> saveFileName(const FileDialogSpec& spec) override;

    const QStringList& texts() const { return m_texts; }
    // Called after each box with its text.
    std::function<void(const QString&)> onText;

private:
    void seen(const QString& text);
    Dialogs* m_inner = nullptr;
    QStringList m_texts;
};

// Splits "Name|pattern|Name|pattern" into its display names and patterns.
struct FilterEntry {
    QString name;
    QString pattern;
};
QList<FilterEntry> parseFilter(const QString& filter);

} // namespace tarnixw::link

namespace tarnixw::link {
// The application title, caption of every message box: the program file's name without
// directory and extension, its first letter in upper case and every letter after it in lower
// case ("tarnixw" -> "Tarnixw").
QString applicationTitle();
QString titleFromProgramPath(const QString& path);
} // namespace tarnixw::link
