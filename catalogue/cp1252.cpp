#include "cp1252.h"
// TODO: implementation
