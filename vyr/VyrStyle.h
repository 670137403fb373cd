#pragma once

class QColor;
class QPalette;
class QStyle;
class QWidget;

namespace tarnixw::vyr {

// The application's style with indicators and button margins small enough for the generated
// controls: the DO grid's 10 x 10 check boxes show a whole box with its mark (the platform
// indicator is larger than the box and would be clipped to a line), and the 37-pixel buttons
// of the digital page fit "CH15" and "OFF". One instance for the process; the widgets that use
// it never own it.
QStyle* compactStyle();

// The parent's palette with its text roles in one colour, as kit::setTextColor makes it;
// made once for a whole family of controls.
QPalette textPalette(const QWidget* parent, const QColor& colour);

} // namespace tarnixw::vyr
