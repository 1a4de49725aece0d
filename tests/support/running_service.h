// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "feedback_service.h"
#include "feedback_store.h"

#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <thread>

// The real feedback service on a free loopback port, serving on a thread of its own with its
// store in a temporary folder, for as long as the object lives.
struct RunningService {
    explicit RunningService(ServiceSettings settings)
        : store(dir.filePath(QStringLiteral("feedback.db")))
        , service(std::move(settings), store)
        , port(service.bind(QStringLiteral("127.0.0.1"), 0))
    {
        if (port > 0) {
            thread = std::thread([this] { service.serve(); });
            serving = QTest::qWaitFor([this] { return service.is_serving(); }, 5000);
        }
    }
    ~RunningService()
    {
        if (thread.joinable()) {
            service.stop();
            thread.join();
        }
    }

    QUrl url() const { return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(port)); }

    QTemporaryDir dir;
    FeedbackStore store;
    FeedbackService service;
    int port;
    bool serving = false;
    std::thread thread;
};
