// Who the program runs as.
#pragma once

// Deployment tools run installers as LocalSystem (S-1-5-18), whose own
// folders no user ever sees. False where there are no tokens (Windows 9x)
// or the token cannot be read.
bool runs_as_local_system(void);
