#include "FormKit.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

namespace tarnixw::kit {

QFont formFont(int pointSize, bool bold)
{
    // The forms were laid out in MS Sans Serif; where the system has it (Windows), they get it.
    // Elsewhere Liberation Sans, with the widths of the common Windows sans, stands in.
    static const QString family = QFontDatabase::hasFamily(QStringLiteral("MS Sans Serif"))
        ? QStringLiteral("MS Sans Serif")
        : QStringLiteral("Liberation Sans");
    QFont f(family);
    f.setStyleHint(QFont::SansSerif);
    f.setPointSize(pointSize);
    f.setBold(bold);
    return f;
}

void setTextColor(QWidget* w, const QColor& c)
{
    QPalette pal = w->palette();
    const QPalette base = w->parentWidget() ? w->parentWidget()->palette() : QPalette();
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text}) {
        pal.setColor(QPalette::Active, role, c.isValid() ? c : base.color(QPalette::Active, role));
        pal.setColor(QPalette::Inactive, role, c.isValid() ? c : base.color(QPalette::Inactive, role));
    }
    w->setPalette(pal);
}

QColor textColor(const QWidget* w)
{
    if (qobject_cast<const QLineEdit*>(w))
        return w->palette().color(QPalette::Active, QPalette::Text);
    if (qobject_cast<const QPushButton*>(w))
        return w->palette().color(QPalette::Active, QPalette::ButtonText);
    return w->palette().color(QPalette::Active, QPalette::WindowText);
}

Controls buildControls(QWidget* window, std::span<const Control> table, Controls known)
{
    for (const Control& c : table) {
        QWidget* parent = window;
        if (c.parent) {
            auto it = known.find(QString::fromLatin1(c.parent));
            if (it != known.end())
                parent = it->second;
        }
        QWidget* w = nullptr;
        switch (c.kind) {
        case Kind::Label:
            w = new QLabel(c.text, parent);
            break;
        case Kind::Button: {
            auto* b = new QPushButton(c.text, parent);
            if (!c.icon.isNull()) {
                b->setIcon(c.icon);
                b->setIconSize(c.icon.availableSizes().value(0, QSize(20, 20)));
            }
            b->setAutoDefault(false);
            w = b;
            break;
        }
        case Kind::Edit:
            w = new QLineEdit(c.text, parent);
            break;
        case Kind::Combo: {
            auto* box = new QComboBox(parent);
            box->setEditable(true);
            box->setInsertPolicy(QComboBox::NoInsert);
            box->addItems(c.text.split(QLatin1Char('|')));
            box->setCurrentIndex(c.current);
            w = box;
            break;
        }
        case Kind::Group:
            w = new QGroupBox(c.text, parent);
            break;
        case Kind::Progress: {
            auto* bar = new QProgressBar(parent);
            bar->setRange(0, 100);
            bar->setValue(0);
            bar->setTextVisible(false);
            w = bar;
            break;
        }
        }
        w->setObjectName(QString::fromLatin1(c.name));
        w->setFont(formFont(c.pointSize, c.bold));
        if (c.color.isValid())
            setTextColor(w, c.color);
        if (c.hand)
            w->setCursor(Qt::PointingHandCursor);
        if (c.kind == Kind::Label) {
            w->move(c.geometry.topLeft());
            w->adjustSize();
        } else {
            w->setGeometry(c.geometry);
        }
        known[w->objectName()] = w;
    }
    return known;
}

int selectedItem(const QComboBox* box)
{
    const int i = box->currentIndex();
    if (i >= 0 && box->itemText(i) == box->currentText())
        return i;
    return box->findText(box->currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
}

} // namespace tarnixw::kit
