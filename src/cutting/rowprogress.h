#pragma once

#include <functional>

namespace tunora {

// Told after each row of a cut or merge of all rows, on the thread that does the work: how
// many rows are done (cut, merged or counted as failed), out of all the rows it was given.
using RowProgress = std::function<void(int rowsDone)>;

} // namespace tunora
