#include "app_state.h"

app_state_record app_state;
