#pragma once

#include "base/Component.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace reruzida {

// The device path of serial port "COMn": the value "COMn" under PortsRegistryKey, else
// /dev/ttyS<n-1>.
QString PortDevicePath(int port);
// The registry value "Comm" under AppRegistryKey: the serial port number the port dialog
// stored, as stored; 1 when it cannot be read.
int ReadCommSetting();
void WriteCommSetting(int port);

// One serial port: opened from a mode text, raw, with non-blocking byte counts, reads
// and writes.
class TRsDrv : public TComponent {
public:
    explicit TRsDrv(TComponent* AOwner = nullptr);
    ~TRsDrv() override;

    // Parses "COMn:baud,parity,databits,stopbits" and opens the port.
    bool OpenMode(const QString& mode);
    bool Open();
    void Close();
    // True when the port is open and every byte has left it.
    bool Write(const char* bytes, int count);
    bool Write(const QByteArray& bytes) { return Write(bytes.constData(), int(bytes.size())); }
    // Reads `count` bytes (all waiting when 0) once that many wait; -1 when closed.
    int Read(char* buffer, int room, int count);
    // Discards everything not yet read or sent.
    void Purge();

    int Baud() const { return FBaud; }
    void SetBaud(int value);
    int Port() const { return FPort; }
    void SetPort(int value);
    void SetFlags(uint32_t value);
    int InCount() const;
    bool Opened() const { return FHandle >= 0; }
    const QString& LastError() const { return FLastError; }
    // The system's reason why the last open failed ("Device or resource busy"); empty after
    // an open that worked.
    const QString& SystemError() const { return FSystemError; }

private:
    void Reopen();
    void ApplySettings();
    // How long `count` bytes take on the line at the current rate.
    int LineTimeMs(int count) const;

    int FHandle = -1;
    int FBaud = 9600;
    int FPort = 1;
    int FByteSize = 8;
    int FParity = 0;
    uint32_t FFlags = 4177;
    QString FLastError;
    QString FSystemError;
};

} // namespace reruzida
