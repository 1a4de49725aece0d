// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/dialogs/file_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>
#include <QWidget>
#include <deque>
#include <unistd.h>

namespace {

std::deque<std::optional<QString>> &answers()
{
    static std::deque<std::optional<QString>> queue;
    return queue;
}

bool user_may_write(const QString &folder)
{
    // The real user's right, as the kernel sees it (QFileInfo's answer is cached).
    return ::access(QFile::encodeName(folder).constData(), W_OK | X_OK) == 0;
}

} // namespace

FileDialog::FileDialog(QWidget *owner)
    : QObject(owner)
    , m_owner(owner)
    , m_filter(QStringLiteral("文本文档(*.txt)|*.txt"))
{
    setObjectName(QStringLiteral("导出"));
}

void FileDialog::configure(Mode mode, const QString &initial_name, const QString &filter)
{
    m_mode = mode;
    m_initial_name = initial_name;
    m_filter = filter;
}

QStringList FileDialog::to_name_filters(const QString &filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        const QString &description = parts.at(i);
        // Qt reads the patterns from the last parentheses of the description.
        if (i + 1 == parts.size() || description.endsWith(u')'))
            filters.append(description);
        else
            filters.append(description + QStringLiteral(" (") + parts.at(i + 1) + u')');
    }
    return filters;
}

QString FileDialog::start_folder() const
{
    if (!m_folder.isEmpty() && QFileInfo(m_folder).isDir())
        return m_folder;
    const QString current = QDir::currentPath();
    if (user_may_write(current))
        return current;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir())
        return documents;
    return QDir::homePath();
}

std::optional<QString> FileDialog::exec()
{
    m_shown_folder = start_folder();
    std::optional<QString> chosen = ask(m_shown_folder);
    if (chosen)
        m_folder = QFileInfo(*chosen).absolutePath();
    return chosen;
}

std::optional<QString> FileDialog::ask(const QString &folder)
{
    if (!answers().empty()) {
        std::optional<QString> answer = answers().front();
        answers().pop_front();
        return answer;
    }
    QFileDialog dialog(m_owner);
    dialog.setAcceptMode(m_mode == Mode::Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(m_mode == Mode::Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    const QStringList filters = to_name_filters(m_filter);
    dialog.setNameFilters(filters);
    if (m_mode == Mode::Save) {
        // A bare name gets the suffix of the filter chosen; Qt itself swaps a typed suffix.
        const auto use_suffix_of = [&dialog, this](qsizetype filter) {
            if (filter < 0)
                return;
            const QString pattern = m_filter.section(u'|', 2 * filter + 1, 2 * filter + 1);
            dialog.setDefaultSuffix(pattern.startsWith(QStringLiteral("*.")) ? pattern.mid(2) : QString());
        };
        use_suffix_of(0);
        connect(&dialog, &QFileDialog::filterSelected, &dialog,
                [&filters, use_suffix_of](const QString &chosen) { use_suffix_of(filters.indexOf(chosen)); });
    }
    dialog.setDirectory(folder);
    dialog.selectFile(m_initial_name);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

void FileDialog::answer_next(std::optional<QString> path)
{
    answers().push_back(std::move(path));
}

int FileDialog::pending_answers()
{
    return static_cast<int>(answers().size());
}
