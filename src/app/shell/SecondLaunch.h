#pragma once

#include <QString>

#include <chrono>
#include <functional>
#include <optional>

class QApplication;

namespace tc {

class DataFolderLock;

// A launch that finds its data folder's lock held by another copy: it asks that copy to show its window and ends,
// having read, cleaned and written nothing in the folder. A holder that does not answer (stopped, hung, busy) is
// never taken for gone, since it still holds the document: the launch tells the user that Tapchime is already
// running but not answering, on stderr and in a dialog, and ends with a failure status. Only a holder that ends
// meanwhile lets this launch take the lock and start after all.
//
// Main thread, before the program's QApplication exists.
namespace SecondLaunch {

enum class Outcome {
    lockTaken,    // the holder ended: this launch holds the lock now and starts
    shown,        // the holder answered and shows its window
    notAnswering, // the holder still holds the lock and did not answer within the patience
};

// How long a launch waits for the holder, in all: one that has just taken the lock needs a moment to listen.
inline constexpr std::chrono::milliseconds kPatience{2000};
inline constexpr int kNotAnsweringStatus = 1;

// Until `patience` runs out, takes the lock if it has become free, else asks the copy on the socket `serverName` to
// show its window.
Outcome reachHolder(DataFolderLock &lock, const QString &serverName, std::chrono::milliseconds patience);

// The launch's part in main(): nothing when this launch holds the lock (at once or once the holder ended) and
// starts, or when the folder cannot be locked at all (it starts as it always could; the log says so). Otherwise
// the status to end with: 0 when the holder shows its window, kNotAnsweringStatus once the user has been told it
// does not answer (without a display to show the dialog on, the line on stderr is all). `appearance` dresses the
// dialog as the program's own alerts.
std::optional<int> handOver(DataFolderLock &lock, int &argc, char **argv,
                            const std::function<void(QApplication &)> &appearance);

} // namespace SecondLaunch

} // namespace tc
