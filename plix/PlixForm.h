#pragma once

#include "PlixModel.h"
#include "PlixTransfer.h"

#include "kit/DeviceForm.h"
#include "kit/FormKit.h"
#include "kit/LeaveCheck.h"
#include "link/Modbus.h"

#include <array>

class QLineEdit;
class QPushButton;

namespace tarnixw::plix {

// The PLIXARO configuration window: both channels side by side, the COM parameters, the
// progress bar and the six action buttons. It only moves text between its boxes and the
// model; the checks, staging, packing, decoding and file image live in the model (PlixModel.h).
class TFormPLIX : public kit::DeviceForm {
    Q_OBJECT
public:
    TFormPLIX(kit::Session& session, std::function<void()> showMain, QWidget* parent = nullptr);
    ~TFormPLIX() override;

    // A designed control by its name ("CH0SensorFrom", "Read", "GroupBox7", ...).
    QWidget* control(const QString& name) const;
    template <typename T> T* get(const char* name) const { return qobject_cast<T*>(control(QLatin1String(name))); }
    QLineEdit* edit(Field f) const { return m_edits[indexOf(f)]; }

    // The PLIXARO link buffers and port, held by the model for the whole run.
    static link::ModelBuffers& buffers();
    static link::ComPort& port();

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

    // The checks made when a parameter box is left. Each shows its message and puts the
    // focus back into the box when the text is refused, or rewrites the text in the field's
    // format; returns whether the text passed.
    bool BoundaryCheck_Sensor(QLineEdit* box);
    bool BoundaryCheck_PV(QLineEdit* box);
    bool BoundaryCheck_AlarmRange(QLineEdit* box);
    bool BoundaryCheck_Silence(QLineEdit* box);
    bool BoundaryCheck_DecimalDigits(QLineEdit* box);
    bool BoundaryCheck_Hystersis(QLineEdit* box);

private:
    void buildFrame();
    void showChannelState(int channel, bool enabled);
    void setTexts(const Texts& texts);
    // Runs the check of the box that was left (by its kind).
    bool checkLeftBox(QLineEdit* box);
    bool applyCheck(QLineEdit* box, Field f);

    kit::Controls m_controls;
    std::array<QLineEdit*, kFieldCount> m_edits{};
    // Runs the check of a box when it is left; a refused box keeps the focus.
    kit::LeaveWatcher* m_leave = nullptr;
};

} // namespace tarnixw::plix
