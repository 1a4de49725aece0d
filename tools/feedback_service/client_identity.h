// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHostAddress>
#include <QList>
#include <QRandomGenerator>
#include <QString>
#include <string>

// Who a request comes from. The address is what is stored with a submission; the client that
// verification codes and the submission budget belong to is the holder of the cookie sent
// with its picture, since many users may share one address behind a proxy or a NAT.
namespace client_identity {

// The remote address, or, when the remote is one of the trusted proxies, the address that
// proxy put last in X-Forwarded-For. Anyone else's X-Forwarded-For is ignored.
QString address(const std::string &remote, const std::string &forwarded_for, const QList<QHostAddress> &trusted);

// The client token of a Cookie header; empty when there is none or it is not one of ours.
std::string token_of(const std::string &cookie_header);

// A new token: 128 random bits as hex.
std::string new_token(QRandomGenerator &random);

// The Set-Cookie value that hands token to the client.
std::string cookie_for(const std::string &token);

} // namespace client_identity
