#include "platform/SerialLink.h"

#include <QFileInfo>
#include <QSerialPort>

#include "app/Settings.h"

namespace mivora {
namespace {

SerialOpenResult::Kind KindOf(QSerialPort::SerialPortError error, const QString& device,
                              const QString& reason) {
    switch (error) {
        case QSerialPort::DeviceNotFoundError:
            return SerialOpenResult::Kind::NotFound;
        case QSerialPort::PermissionError:
            // A lock file or TIOCEXCL held by another program reports the same error
            // as missing access rights; tell them apart by the text and the file mode.
            if (reason.contains(QLatin1String("lock"), Qt::CaseInsensitive)) {
                return SerialOpenResult::Kind::InUse;
            }
            return QFileInfo(device).isReadable() ? SerialOpenResult::Kind::InUse
                                                  : SerialOpenResult::Kind::AccessDenied;
        case QSerialPort::OpenError:
            return SerialOpenResult::Kind::InUse;
        default:
            return SerialOpenResult::Kind::Other;
    }
}

}  // namespace

QString SerialOpenErrorMessage(const SerialOpenResult& result) {
    const QString device = result.device.isEmpty() ? QStringLiteral("(no device)") : result.device;
    const QString reason =
        result.reason.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(result.reason);
    switch (result.kind) {
        case SerialOpenResult::Kind::None:
            return QString();
        case SerialOpenResult::Kind::AccessDenied:
            return QStringLiteral(
                       "Cannot open %1: access denied%2. Your user must be a member of the group "
                       "that owns the device (usually \"dialout\"), for example: sudo usermod -aG "
                       "dialout $USER, then log in again.")
                .arg(device, reason);
        case SerialOpenResult::Kind::InUse:
            return QStringLiteral(
                       "Cannot open %1: it is in use by another program%2. Close that program "
                       "and try again.")
                .arg(device, reason);
        case SerialOpenResult::Kind::NotFound:
#ifdef Q_OS_WIN
            return QStringLiteral(
                       "Cannot open %1: no such device%2. Port number n is the device COM<n>, "
                       "unless [COMDevices] COM<n>=... in %3 names another.")
                .arg(device, reason, QString::fromStdString(SettingsFilePath()));
#else
            return QStringLiteral(
                       "Cannot open %1: no such device%2. Port number n is the device "
                       "/dev/ttyS<n-1> (COM1 = /dev/ttyS0), unless a line COM<n>=/dev/... in the "
                       "section [COMDevices] of %3 names another (for example COM3=/dev/ttyUSB0).")
                .arg(device, reason, QString::fromStdString(SettingsFilePath()));
#endif
        case SerialOpenResult::Kind::Other:
            break;
    }
    return QStringLiteral("Cannot open %1%2.").arg(device, reason);
}

SerialLink::SerialLink(QObject* parent) : QObject(parent), m_port(new QSerialPort(this)) {
    connect(m_port, &QSerialPort::readyRead, this, [this] {
        const QByteArray bytes = m_port->readAll();
        if (!bytes.isEmpty()) {
            emit BytesReceived(bytes);
        }
    });
    connect(m_port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError error) {
        if (m_bOpening || error == QSerialPort::NoError || error == QSerialPort::TimeoutError ||
            !m_port->isOpen()) {
            return;
        }
        const QString reason = m_port->errorString();
        m_port->close();
        emit LinkLost(QStringLiteral("The connection to %1 was lost (%2).").arg(m_device, reason));
    });
}

SerialLink::~SerialLink() = default;

SerialOpenResult SerialLink::Open(const QString& device) {
    Close();
    SerialOpenResult result;
    result.device = device;
    m_device = device;
    m_bOpening = true;
    m_port->setPortName(device);
    m_port->setBaudRate(2400);
    m_port->setDataBits(QSerialPort::Data8);
    m_port->setParity(QSerialPort::NoParity);
    m_port->setStopBits(QSerialPort::OneStop);
    m_port->setFlowControl(QSerialPort::NoFlowControl);
    bool opened = m_port->open(QIODevice::ReadOnly);
    if (!opened) {
        opened = m_port->open(QIODevice::ReadOnly);
    }
    if (!opened) {
        result.reason = m_port->errorString();
        result.kind = KindOf(m_port->error(), device, result.reason);
        m_port->clearError();
        m_bOpening = false;
        return result;
    }
    // What waited before the switch-on belongs to no reading of this run.
    m_port->clear(QSerialPort::Input);
    m_port->clearError();
    m_bOpening = false;
    result.ok = true;
    return result;
}

void SerialLink::Close() {
    if (m_port->isOpen()) {
        m_port->close();
    }
}

bool SerialLink::IsOpen() const {
    return m_port->isOpen();
}

QString SerialLink::Device() const {
    return m_device;
}

}  // namespace mivora
