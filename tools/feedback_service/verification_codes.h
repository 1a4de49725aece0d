// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <chrono>
#include <map>
#include <mutex>
#include <optional>
#include <string>

// The verification code each client was last shown. A code is good for one check only, right
// or wrong, so every guess costs the client a new image; it expires after a lifetime. The book
// holds a bounded number of clients: when full, expired codes go first, then the oldest.
class VerificationCodes final {
public:
    using Clock = std::chrono::steady_clock;

    VerificationCodes(std::chrono::seconds lifetime, std::size_t capacity);

    void remember(const std::string &client, const QByteArray &code, Clock::time_point now);
    // When code matches the client's code (letter case ignored) and it has not expired, the
    // time it was issued. The client's code is gone afterwards either way.
    std::optional<Clock::time_point> redeem(const std::string &client, const QByteArray &code,
                                            Clock::time_point now);
    // Gives a redeemed code back, for a submission that failed through no fault of the code,
    // unless the client has been shown a newer one meanwhile.
    void reinstate(const std::string &client, const QByteArray &code, Clock::time_point issued);

    std::size_t size() const;

private:
    struct Entry {
        QByteArray code;
        Clock::time_point issued;
    };
    void make_room(Clock::time_point now);

    std::chrono::seconds m_lifetime;
    std::size_t m_capacity;
    mutable std::mutex m_lock;
    std::map<std::string, Entry> m_codes;
};
