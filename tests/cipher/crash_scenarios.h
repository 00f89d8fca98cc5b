#pragma once

// The work a child process does until it is ended at its chosen point.

// A transaction that rewrites half of the cards with a new marker.
extern const char kUpdateSql[];
extern const char kNewMarker[];
