#pragma once

class Dataset;
class Table;

// Copies all rows in view of a dataset into a table, matched on the
// destination's primary key. Columns are matched by name; values are
// converted to the destination's field types. The destination file is
// written back once, atomically, when the move is complete.
class BatchMove
{
public:
    enum class Mode
    {
        Append,       // add rows; rows whose key exists are skipped
        AppendUpdate, // add rows; rows whose key exists are updated
        Delete,       // remove rows whose key is in the source
    };
    // Returns the number of destination rows added, updated or removed.
    static int execute(Dataset& source, Table& destination, Mode mode);
};
