#include "capture/frame_slot.h"
