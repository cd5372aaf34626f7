#pragma once
// The serial link to the meter: one object owns the QSerialPort. It only
// listens; an error on an open port closes it.
#include <QByteArray>
#include <QObject>
#include <QString>

class QSerialPort;

namespace mivora {

struct SerialOpenResult {
    enum class Kind { None, AccessDenied, InUse, NotFound, Other };
    bool ok = false;
    Kind kind = Kind::None;
    QString device;
    QString reason;  // the port's own error text
};

// A message for the user naming the device, the reason and what to do.
QString SerialOpenErrorMessage(const SerialOpenResult& result);

class SerialLink : public QObject {
    Q_OBJECT
  public:
    explicit SerialLink(QObject* parent = nullptr);
    ~SerialLink() override;

    // Closes a port already open, opens `device` at 2400 baud 8N1, retries once,
    // and discards what was waiting.
    SerialOpenResult Open(const QString& device);
    void Close();
    bool IsOpen() const;
    QString Device() const;

  signals:
    // Every read of waiting bytes, in arrival order.
    void BytesReceived(const QByteArray& bytes);
    // The open port failed (device gone, read error); it has been closed.
    void LinkLost(const QString& message);

  private:
    QSerialPort* m_port;  // owned through Qt parenting
    QString m_device;
    bool m_bOpening = false;  // errors during Open are its result, not a lost link
};

}  // namespace mivora
