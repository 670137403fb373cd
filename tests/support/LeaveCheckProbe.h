#pragma once

#include "ScriptedDialogs.h"

#include <QLineEdit>
#include <QTest>

namespace tarnixw::test {

// Types text into the box that has the focus and leaves it with Tab, as a user does. Then:
// the boxes shown are exactly the message (none when it is empty), the box holds `after`, and
// a refused box keeps the focus and repeats its message when it is left again. A toolkit
// conversion error ("... is not a valid ...") comes in the error box and holds nothing.
inline void typeAndLeave(QWidget* form, QLineEdit* box, const QString& text, const QString& message,
    const QString& after, const ScriptedDialogs& dialogs)
{
    box->setText(text);
    QTest::keyClick(form, Qt::Key_Tab);

    const QStringList expected = message.isEmpty() ? QStringList{} : QStringList{message};
    const bool toolkitError = message.contains(QLatin1String(" is not a valid "));
    QCOMPARE(dialogs.texts(), expected);
    QCOMPARE(dialogs.errors(), toolkitError ? expected : QStringList{});
    QCOMPARE(box->text(), after);
    QCOMPARE(form->focusWidget() == box, !message.isEmpty() && !toolkitError);
    if (!message.isEmpty() && !toolkitError) {
        QTest::keyClick(form, Qt::Key_Backtab);
        QCOMPARE(dialogs.texts(), (QStringList{message, message}));
        QCOMPARE(form->focusWidget(), box);
    }
}

} // namespace tarnixw::test
