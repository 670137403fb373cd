#pragma once

#include "link/DeviceForm.h"
#include "link/FormKit.h"

class QLineEdit;
class QPushButton;

namespace tarnixw::plix {

// The PLIXARO configuration window: both channels side by side, the COM parameters, the
// progress bar and the six action buttons.
class TFormPLIX : public link::DeviceForm {
    Q_OBJECT
public:
    TFormPLIX(link::Session& session, std::function<void()> showMain, QWidget* parent = nullptr);

    // A designed control by its name ("CH0SensorFrom", "Read", "GroupBox7", ...).
    QWidget* control(const QString& name) const;
    template <typename T> T* get(const char* name) const { return qobject_cast<T*>(control(QLatin1String(name))); }

private:
    void buildFrame();

    link::ui::Controls m_controls;
};

} // namespace tarnixw::plix
