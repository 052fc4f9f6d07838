#include "error.h"
// TODO: implementation
