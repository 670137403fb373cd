// The field checks of the VYRANTA window: each generated edit box checks its text when the
// user leaves it.
#include "VyrForm.h"

#include "values/FieldChecks.h"

#include <QLineEdit>

namespace tarnixw::vyr {

bool TFormVYR::runLeaveCheck(LeaveCheck check, QLineEdit* box)
{
    switch (check) {
    case LeaveCheck::Sensor:
        return BoundaryCheck_Sensor(box);
    case LeaveCheck::PV:
        return BoundaryCheck_PV(box);
    case LeaveCheck::AlarmRange:
        return BoundaryCheck_AlarmRange(box);
    case LeaveCheck::DecimalDigits:
        return BoundaryCheck_DecimalDigits(box);
    case LeaveCheck::Silence:
        return BoundaryCheck_Silence(box);
    case LeaveCheck::Hystersis:
        return BoundaryCheck_Hystersis(box);
    }
    return true;
}

bool TFormVYR::BoundaryCheck_Sensor(QLineEdit* box)
{
    if (!box)
        return true;
    // The From box of channel i is checked against the To box of the same channel and the
    // other way round; equal values pass. A box of neither family gets the range test only.
    const Generated* g = find(box, Family::AnalogEdit);
    const Column column = g ? Column(g->b) : Column::Digits;
    const values::SensorCheckRules rules = values::vyrSensorRules();
    if (g && column == Column::SFrom)
        return kit::showFieldCheck(
            box, values::checkSensorFrom(box->text(), m_analog[int(Column::STo)][g->a]->text(), rules));
    if (g && column == Column::STo)
        return kit::showFieldCheck(
            box, values::checkSensorTo(box->text(), m_analog[int(Column::SFrom)][g->a]->text(), rules));
    return kit::showFieldCheck(box, values::checkField(values::FieldKind::Sensor, box->text()));
}

bool TFormVYR::BoundaryCheck_PV(QLineEdit* box)
{
    return !box || kit::showFieldCheck(box, values::checkField(values::FieldKind::PV, box->text()));
}

bool TFormVYR::BoundaryCheck_AlarmRange(QLineEdit* box)
{
    return !box || kit::showFieldCheck(box, values::checkField(values::FieldKind::AlarmRange, box->text()));
}

bool TFormVYR::BoundaryCheck_Silence(QLineEdit* box)
{
    return !box || kit::showFieldCheck(box, values::checkField(values::FieldKind::Silence, box->text()));
}

bool TFormVYR::BoundaryCheck_DecimalDigits(QLineEdit* box)
{
    return !box || kit::showFieldCheck(box, values::checkField(values::FieldKind::DecimalDigits, box->text()));
}

bool TFormVYR::BoundaryCheck_Hystersis(QLineEdit* box)
{
    return !box || kit::showFieldCheck(box, values::checkField(values::FieldKind::Hysteresis, box->text()));
}

} // namespace tarnixw::vyr
