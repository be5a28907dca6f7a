// Shared test parts; see sim_process.h and temp_dir.h.
#pragma once
