// The field checks of the VYRANTA window: each generated edit box checks its text when the
// user leaves it.
#include "VyrForm.h"

#include <QLineEdit>

namespace tarnixw::vyr {

values::FieldCheckResult TFormVYR::fieldCheck(values::FieldKind kind, const QLineEdit& box) const
{
    // The From box of channel i is checked against the To box of the same channel and the
    // other way round; equal values pass. A box of neither family gets the range test only.
    const Generated* g = kind == values::FieldKind::Sensor ? find(&box, Family::AnalogEdit) : nullptr;
    const Column column = g ? Column(g->b) : Column::Digits;
    if (column == Column::SFrom)
        return values::checkSensorFrom(box.text(), m_analog[int(Column::STo)][g->a]->text(), values::vyrSensorRules());
    if (column == Column::STo)
        return values::checkSensorTo(box.text(), m_analog[int(Column::SFrom)][g->a]->text(), values::vyrSensorRules());
    return DeviceForm::fieldCheck(kind, box);
}

} // namespace tarnixw::vyr
