#pragma once

#include "SimLine.h"

#include "vyr/VyrForm.h"

#include <QTest>
#include <memory>

namespace tarnixw::test {

// A simulated VYRANTA on COM1 and a fresh, shown and built VYRANTA window, the model back at
// the program's start.
struct VyrFormRig : SimLine {
    explicit VyrFormRig(std::uint8_t deviceId = 1)
        : SimLine(test::Model::Vyr, deviceId)
    {
        vyr::resetModel();
        form = std::make_unique<vyr::TFormVYR>(session, [] {});
        form->show();
        built = QTest::qWaitFor([this] { return form->isBuilt(); });
    }
    ~VyrFormRig() { form.reset(); }

    QLineEdit* edit(vyr::Column column, int channel) const { return form->analogEdit(column, channel); }

    std::unique_ptr<vyr::TFormVYR> form;
    bool built = false;
};

} // namespace tarnixw::test
