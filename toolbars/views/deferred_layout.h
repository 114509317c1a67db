// Layouts of shown views put off until the current run of item changes is over: a view on screen that hears of an
// inserted or removed item (outside an update bracket too) lays out once, when the thread next takes a message,
// instead of once per item. Anything that needs the positions earlier validates them itself.
#pragma once

namespace toolbars {

class TBarView;

// Asks for one layout of view when the thread next takes a message; asking again before then adds nothing.
void DeferLayout(TBarView* view);
// Forgets the request of a view that goes.
void CancelDeferredLayout(TBarView* view);
// Destroys the thread's hidden window of the deferred layouts at the end of the run.
void FreeDeferredLayoutWindow();

}  // namespace toolbars
