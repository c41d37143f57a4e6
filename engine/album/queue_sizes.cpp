// How many items of each kind the caller should keep in stock, per map kind, adjacency and bucket.
#include "ffi/quorvel.h"

const int desiredSolutionQueueSize[2][2] = {{2, 2}, {12, 12}};

const int desiredPuzzleQueueSize[2][2][10] = {
    {{3, 3, 3, 3, 4, 5, 6, 7, 9, 11}, {3, 3, 3, 3, 4, 5, 6, 7, 9, 11}},
    {{3, 3, 3, 3, 4, 6, 7, 8, 10, 12}, {3, 3, 3, 3, 4, 6, 7, 8, 10, 12}},
};

const int desiredGameAlbumSize[2][2][10] = {
    {{2, 2, 2, 2, 2, 2, 2, 2, 2, 2}, {2, 2, 2, 2, 2, 2, 2, 2, 2, 2}},
    {{2, 2, 2, 2, 2, 2, 2, 2, 2, 2}, {2, 2, 2, 2, 2, 2, 2, 2, 2, 2}},
};

