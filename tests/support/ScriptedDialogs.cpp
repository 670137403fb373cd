#include "ScriptedDialogs.h"

namespace tarnixw::test {

ScriptedDialogs::ScriptedDialogs()
{
    m_previous = kit::setDialogs(this);
}

ScriptedDialogs::~ScriptedDialogs()
{
    kit::setDialogs(m_previous);
}

void ScriptedDialogs::message(const QString& text, const QString& detail)
{
    shown.append({Shown::Message, {}, text, detail});
    if (onShow)
        onShow(shown.last());
}

void ScriptedDialogs::systemMessage(const QString& caption, const QString& text, const QString& detail)
{
    shown.append({Shown::System, caption, text, detail});
    if (onShow)
        onShow(shown.last());
}

void ScriptedDialogs::error(const QString& text)
{
    shown.append({Shown::Error, {}, text, {}});
    if (onShow)
        onShow(shown.last());
}

std::optional<QString> ScriptedDialogs::fileAnswer(Shown::Kind kind, const kit::FileDialogSpec& spec)
{
    fileSpecs.append(spec);
    shown.append({kind, {}, {}, {}});
    std::optional<QString> answer;
    if (!fileAnswers.empty()) {
        answer.swap(fileAnswers.front());
        fileAnswers.pop_front();
    }
    return answer;
}

std::optional<QString> ScriptedDialogs::openFileName(const kit::FileDialogSpec& spec)
{
    return fileAnswer(Shown::OpenFile, spec);
}

std::optional<QString> ScriptedDialogs::saveFileName(const kit::FileDialogSpec& spec)
{
    return fileAnswer(Shown::SaveFile, spec);
}

QStringList ScriptedDialogs::texts() const
{
    QStringList out;
    for (const Shown& s : shown)
        if (s.kind == Shown::Message || s.kind == Shown::System || s.kind == Shown::Error)
            out << s.text;
    return out;
}

QStringList ScriptedDialogs::messages() const
{
    QStringList out;
    for (const Shown& s : shown)
        if (s.kind == Shown::Message || s.kind == Shown::System)
            out << s.text;
    return out;
}

QStringList ScriptedDialogs::errors() const
{
    QStringList out;
    for (const Shown& s : shown)
        if (s.kind == Shown::Error)
            out << s.text;
    return out;
}

void ScriptedDialogs::clear()
{
    shown.clear();
    fileSpecs.clear();
}

} // namespace tarnixw::test
