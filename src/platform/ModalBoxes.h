#pragma once

// Ends every open message box, dialog box and popup menu, innermost first, as their Cancel
// or Escape would. A box opened with exec() runs an event loop of its own, and the
// program's end cannot leave that loop from beneath it: a signal that ends the program while
// one is open closes them first. Windows that are modal without a loop of their own (the
// setup window) are left to the program's end.
void closeModalBoxes();
