#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QRect>
#include <QString>
#include <QStringList>
#include <map>
#include <span>

class QComboBox;
class QWidget;

namespace tarnixw::kit {

// The designed font of every form: MS Sans Serif at 8 points where the system has it, else
// Liberation Sans (the widths of the common Windows sans).
QFont formFont(int pointSize = 8, bool bold = false);

inline const QColor kGreen{0, 128, 0};
inline const QColor kRed{255, 0, 0};
inline const QColor kNavy{0, 0, 128};

// Sets the text colour of a control; an invalid colour restores the window-text colour.
void setTextColor(QWidget* w, const QColor& c);
QColor textColor(const QWidget* w);

enum class Kind { Label, Button, Edit, Combo, Group, Progress };

// One designed control: what it is, its name and parent, where it stands, what it shows.
struct Control {
    Kind kind;
    const char* name;
    const char* parent; // nullptr: the window itself
    QRect geometry; // a label's width and height are its text's
    QString text; // caption, initial text, or a combo box's items joined by '|'
    int pointSize = 8;
    bool bold = false;
    QColor color = {};
    QIcon icon = {};
    bool hand = false;
    int current = 0; // a combo box's selected item
};

// Creates the controls in table order (which is also their tab order within each parent) and
// returns them by name.
using Controls = std::map<QString, QWidget*>;
Controls buildControls(QWidget* window, std::span<const Control> table, Controls known = {});

// An item index of a drop-down box as the user left it: the item whose text the box shows, or
// -1 when the user typed something that is no item.
int selectedItem(const QComboBox* box);

} // namespace tarnixw::kit
