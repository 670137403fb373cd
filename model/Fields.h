#pragma once

#include "DeviceModel.h"

#include <QString>
#include <QStringList>
#include <initializer_list>
#include <vector>

// What every model's field table offers: building it, naming and writing its values, and the
// forms' checks run over a whole configuration.
namespace tarnixw::models {

// Builds a model's field table, value by value, in the order of the JSON format.
class FieldTable {
public:
    std::vector<Field> fields;

    static PathStep key(const char* name) { return {QString::fromLatin1(name), -1}; }
    static PathStep at(int index) { return {QString(), index}; }
    static std::vector<PathStep> join(std::vector<PathStep> path, std::initializer_list<PathStep> more);

    // The group of the values added from now on (-1: none).
    void setGroup(int family, int member)
    {
        m_family = family;
        m_member = member;
    }
    // A value at a place of the file; its width and signedness give what it can hold (an 8-bit
    // field either reading). `check`: the form's check of its box; `unit`: what follows the number.
    Field& value(std::vector<PathStep> path, QString label, Format format, Place place,
        std::optional<values::FieldKind> check = std::nullopt, const char* unit = "");
    // Bit `bit` of the 16-bit word at `offset`.
    Field& bit(std::vector<PathStep> path, QString label, int offset, int bit);
    // The index of an array entry, written as its first key ("channel": 3).
    void identity(std::vector<PathStep> path, int index);

private:
    Field& add(std::vector<PathStep> path, QString label, Format format);
    int m_family = -1;
    int m_member = -1;
};

// The value for a person, with its unit: "5000 mV", "100.000", "0.5 %", "on", "yes".
QString valueText(const Field& field, std::int64_t value);
// The value as a JSON number or literal: "100.000", "0.5", "true".
QString jsonText(const Field& field, std::int64_t value);

// The values the forms' checks would refuse or never produce, one line each with the form's
// own message ("AI 3 decimal digits: 7, which the form refuses: "Please input an integer
// number between 0 and 3.""): each box's check run on the value's exact text, what the model
// adds (a DI channel with both relay modes, ...), and the empty sensor ranges.
QStringList outsideFormChecks(const Configuration& config);

// Each channel whose sensor range is empty (From = To): its scaling cannot be computed, so the
// configuration cannot be written. "AI 3: sensor from and to are both 1000 mV, ...".
QStringList emptySensorRanges(const Configuration& config);

// Whether the fixed words every Write sets hold their values.
bool fixedValuesHold(const Configuration& config);

} // namespace tarnixw::models
