#include "platform/qt_port_directory.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>

namespace calvex {

std::vector<SystemPort> QtPortDirectory::systemPorts() const {
    // /dev/serial/by-id holds one link per adapter, named after its maker, model and serial number.
    QMap<QString, QString> byId;
    const QDir links("/dev/serial/by-id");
    for (const QFileInfo& link : links.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot))
        byId.insert(link.canonicalFilePath(), link.fileName());

    std::vector<SystemPort> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        SystemPort port;
        port.device = info.systemLocation().toStdString();
        port.byId = byId.value(QFileInfo(info.systemLocation()).canonicalFilePath()).toStdString();
        const QString name = info.portName();
        port.adapter = !port.byId.empty() || info.hasVendorIdentifier() || name.startsWith("ttyUSB") ||
                       name.startsWith("ttyACM");
        QString description = info.description();
        if (description.isEmpty() || description == "n/a")
            description = port.adapter ? "USB serial adapter" : "built-in serial port";
        port.description = description.toStdString();
        ports.push_back(port);
    }
    return ports;
}

}  // namespace calvex
