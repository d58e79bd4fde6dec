// The smallest window that does what the display does every second: a panel
// with the time, repainted when it changes. What it costs on a machine is the
// floor under the display's own cost there (scripts/bench-tela RELOGIO=1).
#include <QApplication>
#include <QDateTime>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <QWidget>

namespace {

class Relogio : public QWidget {
public:
    Relogio()
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        m_font.setFamily(QStringLiteral("Arial"));
        m_font.setBold(true);
        m_font.setPixelSize(60);
        m_timer.setTimerType(Qt::VeryCoarseTimer);
        connect(&m_timer, &QTimer::timeout, this, [this] { update(m_panel); });
        m_timer.start(1000);
    }

protected:
    void resizeEvent(QResizeEvent*) override
    {
        // The display's clock panel at this size: bottom right, 422 x 97 at 1280 x 1024.
        m_panel = QRect(width() * 66 / 100, height() * 72 / 100, width() * 33 / 100, height() * 9 / 100);
    }
    void paintEvent(QPaintEvent* event) override
    {
        QPainter painter(this);
        painter.fillRect(event->rect(), QColor(0xDB, 0xFF, 0xB7));
        painter.fillRect(m_panel, QColor(0x0A, 0xB1, 0xA0));
        painter.setFont(m_font);
        painter.setPen(Qt::white);
        painter.drawText(m_panel, Qt::AlignCenter, QTime::currentTime().toString(QStringLiteral("HH:mm:ss")));
    }

private:
    QFont m_font;
    QRect m_panel;
    QTimer m_timer;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    Relogio window;
    window.setWindowTitle(QStringLiteral("relogio"));
    window.showFullScreen();
    return app.exec();
}
