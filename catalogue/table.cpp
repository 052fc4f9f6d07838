#include "table.h"
// TODO: implementation
