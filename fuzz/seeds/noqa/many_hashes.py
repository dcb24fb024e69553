# a # b # noqa # noqa: unit-scale


#
