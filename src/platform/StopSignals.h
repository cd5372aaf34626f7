#pragma once
// Turns SIGINT, SIGTERM (and SIGHUP) into a Qt signal on the event loop, so a
// headless run can stop cleanly and save what it recorded. SIGPIPE is ignored.
#include <QObject>

class QSocketNotifier;
class QTimer;

namespace mivora {

class StopSignals : public QObject {
    Q_OBJECT
  public:
    // Installs the handlers; one instance at a time.
    explicit StopSignals(QObject* parent = nullptr);
    ~StopSignals() override;

  signals:
    void StopRequested(int signalNumber);

  private:
    void Poll();

    QSocketNotifier* m_notifier = nullptr;  // POSIX: self-pipe reader
    QTimer* m_timer = nullptr;              // elsewhere: polls a flag
};

}  // namespace mivora
