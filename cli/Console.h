#pragma once

#include <QString>

namespace tarnixw::cli {

// Where tarnixw-cli talks: data on standard output; messages, warnings and the progress bar
// on standard error, the bar only when standard error is a terminal.
class Console final {
public:
    Console();
    ~Console();
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;

    // A message on standard error, after "tarnixw-cli: ".
    void note(const QString& text);
    // A message of success ("Read Done."): none with --quiet.
    void success(const QString& text);
    // "tarnixw-cli: warning: " and the text.
    void warning(const QString& text);
    // Lines on standard error as they are (usage errors, which name the command; line traffic).
    void raw(const QString& text);
    // Text on standard output, as it is.
    void out(const QString& text);
    // Whether something could not be written to standard output (a full disk, a closed pipe),
    // and the system's reason.
    bool outFailed() const { return !m_outError.isEmpty(); }
    const QString& outError() const { return m_outError; }

    void setQuiet(bool quiet) { m_quiet = quiet; }
    // One device of several at once: its messages start with its name ("tarnixw-cli: boiler-1:
    // Read Done."), and no bar is drawn. The consoles of several threads write whole lines.
    void speakFor(const QString& name)
    {
        m_prefix = name;
        m_terminal = false;
    }
    // The last message told (note, success or warning), for a record of what happened.
    const QString& lastNote() const { return m_lastNote; }

    // The bar at value (0..100) with a word after it; drawn only on a terminal and only when
    // it changes. endProgress() takes it away again.
    void progress(int value, const QString& label);
    void endProgress();

private:
    bool m_terminal = false;
    bool m_quiet = false;
    QString m_outError;
    bool m_drawn = false;
    int m_value = -1;
    QString m_label;
    QString m_prefix;
    QString m_lastNote;
};

// Ctrl+C (and Ctrl+Break on Windows) during a device operation: the handler only sets a flag,
// which the operation's wait steps look at. A second one ends the program at once.
void watchInterrupt();
bool interrupted();
// Standard output and error carry the same bytes on every system: UTF-8, lines ending in a
// line feed (Windows would otherwise turn them into CR LF, and show UTF-8 in its own code page).
void prepareStandardStreams();
// Whether standard error is a terminal (a console on Windows) that understands the bar's
// cursor controls. PosixConsole.cpp and WinConsole.cpp, one per platform.
bool stderrIsTerminal();

} // namespace tarnixw::cli
