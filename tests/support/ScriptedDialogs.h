#pragma once

#include "kit/Dialogs.h"

#include <QList>
#include <QString>
#include <deque>
#include <functional>
#include <optional>

namespace tarnixw::test {

// What a test saw of one box.
struct Shown {
    enum Kind { Message, System, Error, OpenFile, SaveFile };
    Kind kind;
    QString caption; // system boxes only: the others carry the application title
    QString text;
    QString detail;
};

// The dialogs of a test: records every box and answers the file dialogs from a script.
// Installs itself for its lifetime.
class ScriptedDialogs final : public kit::Dialogs {
public:
    ScriptedDialogs();
    ~ScriptedDialogs() override;

    void message(const QString& text, const QString& detail = {}) override;
    void systemMessage(const QString& caption, const QString& text, const QString& detail = {}) override;
    void error(const QString& text) override;
    std::optional<QString> openFileName(const kit::FileDialogSpec& spec) override;
    std::optional<QString> saveFileName(const kit::FileDialogSpec& spec) override;

    // The texts of every box shown, in order (file dialogs excluded).
    QStringList texts() const;
    // Only the message boxes (the application's and the system's), or only the error boxes.
    QStringList messages() const;
    QStringList errors() const;
    void clear();

    QList<Shown> shown;
    QList<kit::FileDialogSpec> fileSpecs;
    // Answers of the next file dialogs: a file name, or nothing for Cancel.
    std::deque<std::optional<QString>> fileAnswers;
    // Runs while a box is "open" (for instance to look at the window behind it).
    std::function<void(const Shown&)> onShow;

private:
    // Records a file dialog and gives the next scripted answer (Cancel when none is left).
    std::optional<QString> fileAnswer(Shown::Kind kind, const kit::FileDialogSpec& spec);

    kit::Dialogs* m_previous = nullptr;
};

} // namespace tarnixw::test
