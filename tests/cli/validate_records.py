#!/usr/bin/env python3
"""Validates pipeline records (JSON Lines) against docs/schema/pipeline-COMMAND.schema.json.

Usage: validate_records.py SCHEMA_DIR COMMAND RECORDS.jsonl [COMMAND RECORDS.jsonl ...]
Exit 0 when every record is valid, 1 with the first fault otherwise, 77 when
python3-jsonschema is not installed.
"""
import glob
import json
import os
import sys

try:
    import jsonschema
    from referencing import Registry, Resource
except ImportError:
    print("python3-jsonschema is not installed", file=sys.stderr)
    sys.exit(77)

schema_dir = sys.argv[1]
pairs = list(zip(sys.argv[2::2], sys.argv[3::2]))
resources = []
for path in glob.glob(os.path.join(schema_dir, "*.schema.json")):
    with open(path, encoding="utf-8") as f:
        schema = json.load(f)
    jsonschema.Draft202012Validator.check_schema(schema)
    resources.append((schema["$id"], Resource.from_contents(schema)))
registry = Registry().with_resources(resources)
for command, records in pairs:
    schema = registry.contents("urn:lumerra:schema:pipeline-" + command)
    validator = jsonschema.Draft202012Validator(schema, registry=registry)
    count = 0
    with open(records, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            error = jsonschema.exceptions.best_match(validator.iter_errors(json.loads(line)))
            if error is not None:
                print(f"{command} record {number}: {error.message} at {list(error.path)}", file=sys.stderr)
                sys.exit(1)
            count += 1
    if count == 0:
        print(f"no {command} records", file=sys.stderr)
        sys.exit(1)
