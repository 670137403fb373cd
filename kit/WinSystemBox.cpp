#include "SystemBox.h"

#include <windows.h>

namespace tarnixw::kit {

void showSystemBox(const QString& caption, const QString& text, const QString& detail)
{
    // No owner window; task-modal, so that the program's own windows wait for the OK as they
    // do for every other box.
    const QString body = detail.isEmpty() ? text : text + QStringLiteral("\n\n") + detail;
    MessageBoxA(nullptr, body.toLocal8Bit().constData(), caption.toLocal8Bit().constData(), MB_OK | MB_TASKMODAL);
}

} // namespace tarnixw::kit
