// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QString>
#include <chrono>
#include <functional>
#include <memory>

class FeedbackStore;

struct ServiceSettings {
    // The type list exactly as sent: UTF-8 "number:name;number:name...".
    QByteArray type_list;
    std::chrono::seconds code_lifetime{300};
    // Submissions per client within the window; a client beyond it is answered "0".
    int submissions_allowed = 10;
    std::chrono::seconds submission_window{600};
    // Verification images per client and minute; beyond it the image request fails.
    int images_per_minute = 30;
    // Where codes come from; random letters and digits when not set.
    std::function<QByteArray()> make_code;
    // Proxies whose X-Forwarded-For names the client; nobody else's is believed.
    QList<QHostAddress> trusted_proxies;
    // Each request, head and body, must have arrived this long after its connection.
    std::chrono::milliseconds request_deadline{10000};
};

// The feedback service over HTTP: the type list, a verification image whose code is
// remembered for the client holding the cookie sent with it, and the form-encoded submission
// stored with its time and the client's address. Replies follow the program's contract: "1"
// stored, "-1" wrong or expired code, "0" not stored.
class FeedbackService final {
public:
    // A request body beyond this is refused before it is read whole.
    static constexpr std::size_t kBodyLimit = 64 * 1024;

    FeedbackService(ServiceSettings settings, FeedbackStore &store);
    ~FeedbackService();

    // Binds to host and port (0 for any free port); the bound port, or -1 with the reason in
    // error ("address in use" when another program holds the port).
    int bind(const QString &host, int port, QString *error = nullptr);
    // Serves until stop(); false when it could not serve.
    bool serve();
    // True from the moment serve() accepts connections; stop() before then has no effect.
    bool is_serving() const;
    void stop();

private:
    struct Impl;
    std::unique_ptr<Impl> m;
};
