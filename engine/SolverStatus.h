// The result code a solve leaves under "status" in the option bag its caller
// handed to Solver::Solve. One name per code for every layer.
#pragma once

enum SolverStatus : long {
    kSolverAllPlaced = 0,      // every required part is placed
    kSolverStopped = 1,        // the stop flag ended the run
    kSolverPartsLeft = 2,      // parts remain unplaced while stock is left
    kSolverOutOfStock = 41,    // parts remain unplaced and no stock is left
};
