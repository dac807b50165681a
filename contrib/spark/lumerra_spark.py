#!/usr/bin/env python3
"""Runs one lumerra command over a list of files with Spark's RDD.pipe.

    spark-submit lumerra_spark.py LIST OUT_DIR triage --timeout 30

LIST is a text file of paths, one a line, that every executor can read (HDFS,
S3, a shared file system). Each partition's paths are piped, one a line, into

    lumerra COMMAND ARGS... --json --files-from -

on an executor, which writes one JSON record per path; OUT_DIR receives the
records as JSON Lines (part-NNNNN files). The executors need lumerra on their
PATH (or LUMERRA naming it) and the files under the same paths.

Spark runs a failed task again and commits only the output of the attempt
that finished, so every input gets exactly one record. lumerra exits 1 when a
file is unreadable and 3 for findings with every record written, so the exit
code is not checked (checkCode=False); a partition whose lumerra died gives
fewer records than paths, which the count at the end tells.
"""
import os
import shlex
import sys

from pyspark.sql import SparkSession


def main():
    list_path, output_dir, *command = sys.argv[1:]
    lumerra = os.environ.get("LUMERRA", "lumerra")
    spark = SparkSession.builder.appName("lumerra " + " ".join(command)).getOrCreate()
    paths = spark.sparkContext.textFile(list_path).filter(bool)
    # A few hundred paths per task: small enough to rerun, large enough that
    # the start of lumerra does not count.
    partitions = max(1, paths.count() // 200)
    # pipe takes one command line, and runs it with only the environment given.
    line = shlex.join([lumerra, *command, "--json", "--files-from", "-"])
    records = paths.repartition(partitions).pipe(
        line, env={"PATH": os.environ.get("PATH", os.defpath)}, checkCode=False)
    records.saveAsTextFile(output_dir)
    written, inputs = spark.sparkContext.textFile(output_dir).count(), paths.count()
    print(f"{written} records for {inputs} paths", file=sys.stderr)
    spark.stop()
    sys.exit(0 if written == inputs else 1)


if __name__ == "__main__":
    main()
