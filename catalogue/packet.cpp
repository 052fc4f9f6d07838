#include "packet.h"
// TODO: implementation
