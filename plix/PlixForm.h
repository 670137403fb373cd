#pragma once

#include "PlixDescription.h"
#include "PlixModel.h"
#include "PlixTransfer.h"

#include "kit/DeviceForm.h"
#include "link/Modbus.h"

#include <array>

class QLineEdit;
class QPushButton;

namespace tarnixw::plix {

// The PLIXARO configuration window: both channels side by side, the COM parameters, the
// progress bar and the six action buttons. It only moves text between its boxes and the
// model; the checks, staging, packing, decoding and file image live in the model (PlixModel.h).
class TFormPLIX : public kit::ModelForm<&plix::model, &plix::description> {
    Q_OBJECT
public:
    TFormPLIX(kit::Session& session, std::function<void()> showMain, QWidget* parent = nullptr);
    ~TFormPLIX() override;

    QLineEdit* edit(Field f) const { return m_edits[indexOf(f)]; }

    // The eighteen parameter texts as the boxes show them now.
    Texts texts() const;

    // Channel buttons: toggle the channel's flag and show its new state.
    void CH0Click();
    void CH1Click();
    // Shows both channels as their flags say, without changing the flags.
    void ApplyChannelStates();

    void ReadClick();
    void WriteClick();
    void OpenFileClick();
    void SaveFlieClick();

protected:
    // A parameter box checks itself as its field, against the texts of all boxes (a sensor
    // box and its partner).
    values::FieldCheckResult fieldCheck(values::FieldKind kind, const QLineEdit& box) const override;

private:
    void buildFrame();
    void showChannelState(int channel, bool enabled);
    void setTexts(const Texts& texts);

    std::array<QLineEdit*, kFieldCount> m_edits{};
};

} // namespace tarnixw::plix
