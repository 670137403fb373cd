#pragma once

#include "link/DeviceForm.h"
#include "link/FormKit.h"

class QTabWidget;

namespace tarnixw::vyr {

// The VYRANTA configuration window: the COM parameters, the action buttons, the progress bar
// and the five pages (analog inputs, digital inputs, DO modules 0 to 2).
class TFormVYR : public link::DeviceForm {
    Q_OBJECT
public:
    TFormVYR(link::Session& session, std::function<void()> showMain, QWidget* parent = nullptr);

    QWidget* control(const QString& name) const;
    template <typename T> T* get(const char* name) const { return qobject_cast<T*>(control(QLatin1String(name))); }
    QTabWidget* PageControl1() const { return m_pages; }

private:
    void buildFrame();

    link::ui::Controls m_controls;
    QTabWidget* m_pages = nullptr;
};

} // namespace tarnixw::vyr
