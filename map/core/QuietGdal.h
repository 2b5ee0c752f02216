#pragma once

#include <QString>

#include <gdal.h>

// GDAL prints its errors on stderr by default; while one of these lives on a
// thread (the handler is the thread's own), they are collected and told to the
// user once, in the message of the exception. Registers GDAL's drivers first.
class QuietGdal
{
public:
    QuietGdal();
    ~QuietGdal();
    QuietGdal(const QuietGdal&) = delete;
    QuietGdal& operator=(const QuietGdal&) = delete;

    // The last error GDAL reported on this thread, or a word that it said none.
    static QString lastError();

    // Closes a dataset on every way out.
    struct Dataset
    {
        GDALDatasetH handle = nullptr;
        ~Dataset()
        {
            if (handle)
                GDALClose(handle);
        }
    };
};
