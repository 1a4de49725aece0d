// SPDX-License-Identifier: GPL-3.0-or-later
#include "verification_codes.h"

#include <algorithm>

VerificationCodes::VerificationCodes(std::chrono::seconds lifetime, std::size_t capacity)
    : m_lifetime(lifetime)
    , m_capacity(std::max<std::size_t>(capacity, 1))
{
}

void VerificationCodes::remember(const std::string &client, const QByteArray &code, Clock::time_point now)
{
    const std::lock_guard guard(m_lock);
    if (!m_codes.contains(client))
        make_room(now);
    m_codes[client] = {code, now};
}

std::optional<VerificationCodes::Clock::time_point> VerificationCodes::redeem(const std::string &client,
                                                                            const QByteArray &code,
                                                                            Clock::time_point now)
{
    const std::lock_guard guard(m_lock);
    const auto found = m_codes.find(client);
    if (found == m_codes.end())
        return std::nullopt;
    const Entry entry = found->second;
    m_codes.erase(found);
    if (code.isEmpty() || now - entry.issued > m_lifetime || code.compare(entry.code, Qt::CaseInsensitive) != 0)
        return std::nullopt;
    return entry.issued;
}

void VerificationCodes::reinstate(const std::string &client, const QByteArray &code, Clock::time_point issued)
{
    const std::lock_guard guard(m_lock);
    if (m_codes.contains(client))
        return;
    make_room(issued);
    m_codes[client] = {code, issued};
}

std::size_t VerificationCodes::size() const
{
    const std::lock_guard guard(m_lock);
    return m_codes.size();
}

void VerificationCodes::make_room(Clock::time_point now)
{
    if (m_codes.size() < m_capacity)
        return;
    std::erase_if(m_codes, [this, now](const auto &item) { return now - item.second.issued > m_lifetime; });
    if (m_codes.size() < m_capacity)
        return;
    const auto oldest = std::min_element(
        m_codes.begin(), m_codes.end(), [](const auto &a, const auto &b) { return a.second.issued < b.second.issued; });
    m_codes.erase(oldest);
}
