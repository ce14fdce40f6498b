#pragma once

// Long work with the caller still waiting for it, while the program stays
// alive on screen: the work runs on a thread of its own, and the GUI thread
// goes on painting and running its timers until it is done. The user's
// input is held back meanwhile, so that nothing the user does can start
// more work or change what the work reads.

#include <QObject>

#include <functional>

namespace fegolin {

// While alive, the user's input to every window of the program is dropped:
// mouse and wheel, keys and shortcuts, touch and pen, context menus, drops,
// and the window manager's close box. Painting, exposure, timers and
// whatever the program sends itself pass. Lives on the GUI thread.
class TcInputHold final : public QObject {
public:
  TcInputHold();
  ~TcInputHold() override;
  TcInputHold(const TcInputHold&) = delete;
  TcInputHold& operator=(const TcInputHold&) = delete;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

// Runs `work` on a thread of its own and returns once it has ended,
// rethrowing what it threw. Meanwhile the calling (GUI) thread handles its
// events in a loop of its own. `work` must not touch widgets.
void RunAside(const std::function<void()>& work);

} // namespace fegolin
