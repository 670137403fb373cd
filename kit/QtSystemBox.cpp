#include "SystemBox.h"

#include <QMessageBox>

namespace tarnixw::kit {

void showSystemBox(const QString& caption, const QString& text, const QString& detail)
{
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    if (!detail.isEmpty())
        box.setInformativeText(detail);
    box.exec();
}

} // namespace tarnixw::kit
