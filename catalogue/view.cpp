#include "view.h"
// Skeleton: the view is being written.
namespace catalogue {
View::View() = default;
View::~View() = default;
} // namespace catalogue
