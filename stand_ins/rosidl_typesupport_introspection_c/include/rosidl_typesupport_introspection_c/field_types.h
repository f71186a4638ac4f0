/* Field kind codes of the introspection member rows. */
#ifndef ROSIDL_TYPESUPPORT_INTROSPECTION_C__FIELD_TYPES_H_
#define ROSIDL_TYPESUPPORT_INTROSPECTION_C__FIELD_TYPES_H_

enum rosidl_typesupport_introspection_c_field_types
{
  rosidl_typesupport_introspection_c__ROS_TYPE_FLOAT = 1,
  rosidl_typesupport_introspection_c__ROS_TYPE_DOUBLE = 2,
  rosidl_typesupport_introspection_c__ROS_TYPE_LONG_DOUBLE = 3,
  rosidl_typesupport_introspection_c__ROS_TYPE_CHAR = 4,
  rosidl_typesupport_introspection_c__ROS_TYPE_WCHAR = 5,
  rosidl_typesupport_introspection_c__ROS_TYPE_BOOLEAN = 6,
  rosidl_typesupport_introspection_c__ROS_TYPE_OCTET = 7,
  rosidl_typesupport_introspection_c__ROS_TYPE_UINT8 = 8,
  rosidl_typesupport_introspection_c__ROS_TYPE_INT8 = 9,
  rosidl_typesupport_introspection_c__ROS_TYPE_UINT16 = 10,
  rosidl_typesupport_introspection_c__ROS_TYPE_INT16 = 11,
  rosidl_typesupport_introspection_c__ROS_TYPE_UINT32 = 12,
  rosidl_typesupport_introspection_c__ROS_TYPE_INT32 = 13,
  rosidl_typesupport_introspection_c__ROS_TYPE_UINT64 = 14,
  rosidl_typesupport_introspection_c__ROS_TYPE_INT64 = 15,
  rosidl_typesupport_introspection_c__ROS_TYPE_STRING = 16,
  rosidl_typesupport_introspection_c__ROS_TYPE_WSTRING = 17,
  rosidl_typesupport_introspection_c__ROS_TYPE_MESSAGE = 18,
  /* The interface files' names of the same kinds, which middleware uses too. */
  rosidl_typesupport_introspection_c__ROS_TYPE_FLOAT32 = rosidl_typesupport_introspection_c__ROS_TYPE_FLOAT,
  rosidl_typesupport_introspection_c__ROS_TYPE_FLOAT64 = rosidl_typesupport_introspection_c__ROS_TYPE_DOUBLE,
  rosidl_typesupport_introspection_c__ROS_TYPE_BOOL = rosidl_typesupport_introspection_c__ROS_TYPE_BOOLEAN,
  rosidl_typesupport_introspection_c__ROS_TYPE_BYTE = rosidl_typesupport_introspection_c__ROS_TYPE_OCTET
};

#endif  /* ROSIDL_TYPESUPPORT_INTROSPECTION_C__FIELD_TYPES_H_ */
