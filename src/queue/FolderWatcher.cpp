// SPDX-License-Identifier: MIT
#include "queue/FolderWatcher.h"

#include <QDir>
#include <QFile>

#ifdef Q_OS_LINUX
#include <cerrno>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>
#endif

FolderWatcher::Method FolderWatcher::defaultMethod() {
#ifdef Q_OS_LINUX
    return Method::Notify;
#else
    return Method::Poll;
#endif
}

FolderWatcher::FolderWatcher(const QString& folder, std::atomic<bool>& changed, std::atomic<bool>& running,
                             Method method, std::chrono::milliseconds pollInterval)
    : m_folder(folder), m_changed(changed), m_running(running), m_method(method), m_pollInterval(pollInterval) {
    if (m_method == Method::Notify) {
        setUpNotify();
    } else if (QDir(m_folder).exists()) {
        m_lastNames = listNames();
        m_pollReady = true;
    }
}

FolderWatcher::~FolderWatcher() {
    requestStop();
    wait();
#ifdef Q_OS_LINUX
    if (m_notifyFd >= 0) ::close(m_notifyFd);
    if (m_stopFd >= 0) ::close(m_stopFd);
#endif
}

bool FolderWatcher::setUpNotify() {
#ifdef Q_OS_LINUX
    m_notifyFd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_notifyFd < 0) return false;
    // Names only: IN_MODIFY and IN_CLOSE_WRITE are left out on purpose, rewriting an
    // image in place keeps the list of names as it is.
    const std::uint32_t events =
        IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
    if (::inotify_add_watch(m_notifyFd, QFile::encodeName(m_folder).constData(), events) < 0) {
        ::close(m_notifyFd);
        m_notifyFd = -1;
        return false;
    }
    m_stopFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (m_stopFd < 0) {
        ::close(m_notifyFd);
        m_notifyFd = -1;
        return false;
    }
    return true;
#else
    return false;
#endif
}

void FolderWatcher::requestStop() {
    {
        std::lock_guard lock(m_stopMutex);
        m_stopRequested = true;
    }
    m_stopCv.notify_all();
#ifdef Q_OS_LINUX
    if (m_stopFd >= 0) {
        const std::uint64_t one = 1;
        // The counter only grows, so the event stays signalled for every later poll.
        [[maybe_unused]] const auto written = ::write(m_stopFd, &one, sizeof one);
    }
#endif
}

void FolderWatcher::run() {
    if (m_method == Method::Notify)
        runNotify();
    else
        runPoll();
}

void FolderWatcher::runNotify() {
#ifdef Q_OS_LINUX
    // Without notifications there is nothing to do: the folder is then rescanned only when
    // it holds fewer than two images or the queue changes.
    if (m_notifyFd < 0) return;
    m_running.store(true);
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        pollfd fds[2] = {{m_stopFd, POLLIN, 0}, {m_notifyFd, POLLIN, 0}};
        const int ready = ::poll(fds, 2, -1);
        if (ready < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[0].revents != 0) return;
        if (fds[1].revents & (POLLERR | POLLHUP | POLLNVAL)) {
            m_changed.store(true);
            return;
        }
        if (!(fds[1].revents & POLLIN)) continue;

        bool watchGone = false;
        bool any = false;
        for (;;) {
            const ssize_t n = ::read(m_notifyFd, buffer, sizeof buffer);
            if (n <= 0) break;
            any = true;
            for (ssize_t at = 0; at < n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                // The folder itself was deleted, moved or unmounted: no more events will come.
                if (event->mask & (IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT)) watchGone = true;
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        if (any) m_changed.store(true);
        if (watchGone) return;
    }
#endif
}

void FolderWatcher::runPoll() {
    if (!m_pollReady) return;
    m_running.store(true);
    std::unique_lock lock(m_stopMutex);
    for (;;) {
        if (m_stopCv.wait_for(lock, m_pollInterval, [this] { return m_stopRequested; })) return;
        lock.unlock();
        if (!QDir(m_folder).exists()) {
            m_changed.store(true);
            return;
        }
        QStringList names = listNames();
        if (names != m_lastNames) {
            m_changed.store(true);
            m_lastNames = std::move(names);
        }
        lock.lock();
    }
}

QStringList FolderWatcher::listNames() const {
    // Sorted by plain comparison: only equality of two listings matters here.
    return QDir(m_folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}
