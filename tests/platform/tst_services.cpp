#include "support/TestMain.h"
#include "platform/Platform.h"

class TstServices : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void startsEmpty() { QVERIFY(platform::services().boxes == nullptr); }
};

MONITOR_TEST_MAIN(TstServices)
#include "tst_services.moc"
