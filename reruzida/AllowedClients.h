#pragma once

#include <QHostAddress>
#include <QList>
#include <QNetworkInterface>
#include <QPair>
#include <QString>
#include <QStringList>

#include <functional>

namespace reruzida {

// Which addresses may send requests to the data side's TCP ports. The machine itself
// (loopback and every address of its own) always may; besides it, the subnets and addresses of the
// registry value "AllowedClients" (for example "192.168.1.0/24 10.20.0.15"), or, without that
// value, the machine's own local subnets.
class TAllowedClients {
public:
    using TSubnet = QPair<QHostAddress, int>;

    // The subnets the value names; entries that are no address or subnet go to `invalid`.
    static QList<TSubnet> Parse(const QString& text, QStringList* invalid = nullptr);
    // The subnets of the machine's own network interfaces.
    static QList<TSubnet> LocalSubnets();
    // From the registry value, or the local subnets without it; bad entries go to the error
    // log.
    static TAllowedClients FromSetting();

    using TOwnAddresses = std::function<QList<QHostAddress>()>;

    // `ownAddresses` tells the machine's addresses when asked; interfaces may change while the
    // program runs. A test that has no second machine names its own.
    explicit TAllowedClients(QList<TSubnet> subnets = LocalSubnets(),
                             TOwnAddresses ownAddresses = &QNetworkInterface::allAddresses);

    bool Allows(const QHostAddress& address) const;

private:
    QList<TSubnet> FSubnets;
    TOwnAddresses FOwnAddresses;
};

// The registry value that lists the allowed clients.
inline constexpr char AllowedClientsValue[] = "AllowedClients";

} // namespace reruzida
