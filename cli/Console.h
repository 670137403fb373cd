#pragma once

#include "link/Dialogs.h"

#include <QString>

namespace tarnixw::cli {

// Where tarnixw-cli talks: data on standard output; the link's messages, warnings and the
// progress bar on standard error, the bar only when standard error is a terminal. It is the
// program's dialog seam: every box the link would show becomes a line of text.
class Console final : public link::Dialogs {
public:
    Console();
    ~Console() override;
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;

    void message(const QString& text, const QString& detail = {}) override;
    void systemMessage(const QString& caption, const QString& text, const QString& detail = {}) override;
    void error(const QString& text) override;
    // No file dialogs: files are named on the command line.
    std::optional<QString> openFileName(const link::FileDialogSpec&) override { return std::nullopt; }
    std::optional<QString> saveFileName(const link::FileDialogSpec&) override { return std::nullopt; }

    // A line on standard error.
    void note(const QString& text);
    void warning(const QString& text);
    // Text on standard output, as it is.
    void out(const QString& text);

    // The bar at value (0..100) with a word after it; drawn only on a terminal and only when
    // it changes. endProgress() takes it away again.
    void progress(int value, const QString& label);
    void endProgress();
    bool drawsBar() const { return m_terminal; }

private:
    void clearBar();

    bool m_terminal = false;
    bool m_drawn = false;
    int m_value = -1;
    QString m_label;
    link::Dialogs* m_previous = nullptr;
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
