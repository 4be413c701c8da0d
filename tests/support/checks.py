"""What the Python test scripts share: a failed check and the named cases of a script."""


class Failure(Exception):
    pass


def check(cond, message):
    if not cond:
        raise Failure(message)


def cases(namespace):
    """The functions case_<name> of a script's globals, by name."""
    return {name[5:]: fn for name, fn in namespace.items() if name.startswith('case_')}
