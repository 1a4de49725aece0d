// SPDX-License-Identifier: GPL-3.0-or-later
#include "client_identity.h"

#include "feedback/feedback_wire.h"

#include <algorithm>

namespace client_identity {
namespace {

constexpr std::size_t kTokenLength = 32;

QHostAddress host_address(QByteArrayView text)
{
    QHostAddress address;
    return address.setAddress(QString::fromLatin1(text.trimmed())) ? address : QHostAddress();
}

bool is_token(std::string_view text)
{
    return text.size() == kTokenLength && std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

} // namespace

QString address(const std::string &remote, const std::string &forwarded_for, const QList<QHostAddress> &trusted)
{
    const QHostAddress peer = host_address(QByteArrayView(remote));
    const bool from_proxy = std::any_of(trusted.begin(), trusted.end(), [&peer](const QHostAddress &proxy) {
        return proxy.isEqual(peer, QHostAddress::TolerantConversion);
    });
    if (from_proxy && !forwarded_for.empty()) {
        // Entries before the last were written by whoever sent the request to the proxy.
        const QByteArray header = QByteArray::fromStdString(forwarded_for);
        const QHostAddress client = host_address(header.mid(header.lastIndexOf(',') + 1));
        if (!client.isNull())
            return client.toString();
    }
    return QString::fromStdString(remote);
}

std::string token_of(const std::string &cookie_header)
{
    const std::string name = std::string(feedback::kClientCookie) + '=';
    std::string_view rest(cookie_header);
    while (!rest.empty()) {
        const std::size_t end = std::min(rest.find(';'), rest.size());
        std::string_view pair = rest.substr(0, end);
        while (!pair.empty() && pair.front() == ' ')
            pair.remove_prefix(1);
        if (pair.substr(0, name.size()) == name && is_token(pair.substr(name.size())))
            return std::string(pair.substr(name.size()));
        rest.remove_prefix(std::min(end + 1, rest.size()));
    }
    return {};
}

std::string new_token(QRandomGenerator &random)
{
    static constexpr char kHex[] = "0123456789abcdef";
    std::string token;
    for (std::size_t i = 0; i < kTokenLength; ++i)
        token += kHex[random.bounded(16)];
    return token;
}

std::string cookie_for(const std::string &token)
{
    return std::string(feedback::kClientCookie) + '=' + token + "; Path=/; HttpOnly; SameSite=Strict";
}

} // namespace client_identity
