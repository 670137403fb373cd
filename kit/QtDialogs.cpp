#include "QtDialogs.h"

#include "SystemBox.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace tarnixw::kit {

namespace {

QWidget* ownerWindow()
{
    if (QWidget* w = QApplication::activeModalWidget())
        return w;
    return QApplication::activeWindow();
}

void showBox(QWidget* owner, QMessageBox::Icon icon, const QString& caption, const QString& text, const QString& detail)
{
    QMessageBox box(icon, caption, text, QMessageBox::Ok, owner);
    box.setWindowModality(owner ? Qt::WindowModal : Qt::ApplicationModal);
    if (!detail.isEmpty())
        box.setInformativeText(detail);
    box.exec();
}

std::optional<QString> runFileDialog(const FileDialogSpec& spec, QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(ownerWindow());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    // Saving over an existing file replaces it without a question (the write itself is safe);
    // a typed name of a file that does not exist is handed to the form, which says it cannot
    // open it, instead of the dialog keeping it with a box of its own.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(QFileDialog::AnyFile);
    const QStringList filters = qtNameFilters(spec.filter);
    dialog.setNameFilters(filters);
    if (spec.selectedFilter >= 0 && spec.selectedFilter < filters.size())
        dialog.selectNameFilter(filters[spec.selectedFilter]);
    dialog.setDefaultSuffix(spec.defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

} // namespace

QStringList qtNameFilters(const QString& filter)
{
    QStringList out;
    for (const FilterEntry& e : parseFilter(filter)) {
        QString pattern = e.pattern;
        pattern.replace(QLatin1String("*.*"), QLatin1String("*"));
        pattern.replace(QLatin1Char(';'), QLatin1Char(' '));
        out << QStringLiteral("%1 (%2)").arg(e.name, pattern);
    }
    return out;
}

void QtDialogs::message(const QString& text, const QString& detail)
{
    showBox(ownerWindow(), QMessageBox::NoIcon, applicationTitle(), text, detail);
}

void QtDialogs::systemMessage(const QString& caption, const QString& text, const QString& detail)
{
    showSystemBox(caption, text, detail);
}

void QtDialogs::error(const QString& text)
{
    showBox(ownerWindow(), QMessageBox::Critical, applicationTitle(), text, {});
}

std::optional<QString> QtDialogs::openFileName(const FileDialogSpec& spec)
{
    return runFileDialog(spec, QFileDialog::AcceptOpen);
}

std::optional<QString> QtDialogs::saveFileName(const FileDialogSpec& spec)
{
    return runFileDialog(spec, QFileDialog::AcceptSave);
}

} // namespace tarnixw::kit
