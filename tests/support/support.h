// Shared test parts: temp_dir.h, sim_process.h.
#pragma once
