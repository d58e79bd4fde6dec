#include "platform/ui/WindowIdentity.h"

#include "platform/Platform.h"

#include <QEvent>
#include <QWidget>

namespace platform::ui {

namespace {

// Lives as a child of the window, so it goes when the window goes.
class WindowIdentity : public QObject {
public:
    WindowIdentity(QWidget* window, const QString& className)
        : QObject(window), m_window(window), m_className(className)
    {
        window->installEventFilter(this);
        publish();
    }

    ~WindowIdentity() override
    {
        if (auto* registry = services().windows)
            registry->withdraw(m_window);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_window && event->type() == QEvent::WindowTitleChange)
            publish();
        return false;
    }

private:
    void publish()
    {
        if (auto* registry = services().windows)
            registry->publish(m_window, m_className, m_window->windowTitle());
    }

    const QWidget* m_window;
    QString m_className;
};

} // namespace

void registerTopLevelWindow(QWidget* window, const QString& className)
{
    new WindowIdentity(window, className);
}

} // namespace platform::ui
